// The WebP import plug-in: lossy, lossless, with alpha (laid on white), and the first
// frame of an animation.
#include "susie/common/SpiCommon.h"

#include <webp/decode.h>
#include <webp/demux.h>

namespace {

const char* const kInfo[] = {"00IN", "WebP import plug-in of Muralto (libwebp)", "*.webp", "WebP"};

bool IsWebp(const void* header) {
    const auto* h = static_cast<const char*>(header);
    return std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WEBP", 4) == 0;
}

bool Features(const char* data, intptr_t length, WebPBitstreamFeatures& f) {
    return length >= 12 && IsWebp(data) &&
           WebPGetFeatures(reinterpret_cast<const uint8_t*>(data), size_t(length), &f) ==
               VP8_STATUS_OK &&
           spi::SizeAllowed(uint64_t(f.width), uint64_t(f.height));
}

bool Decode(const char* data, intptr_t length, uint32_t& width, uint32_t& height,
            std::vector<uint8_t>* bgra) {
    WebPBitstreamFeatures f;
    if (!Features(data, length, f))
        return false;
    width = uint32_t(f.width);
    height = uint32_t(f.height);
    if (!bgra)
        return true;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data);
    if (!f.has_animation) {
        int w = 0, h = 0;
        uint8_t* pixels = WebPDecodeBGRA(bytes, size_t(length), &w, &h);
        if (!pixels)
            return false;
        bgra->assign(pixels, pixels + size_t(w) * size_t(h) * 4);
        WebPFree(pixels);
        width = uint32_t(w);
        height = uint32_t(h);
        return true;
    }
    // An animation: its first frame, composed on its canvas as the decoder shows it.
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    const WebPData webp{bytes, size_t(length)};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp, &options);
    if (!decoder)
        return false;
    WebPAnimInfo animation;
    uint8_t* frame = nullptr;
    int timestamp = 0;
    const bool ok = WebPAnimDecoderGetInfo(decoder, &animation) &&
                    spi::SizeAllowed(animation.canvas_width, animation.canvas_height) &&
                    WebPAnimDecoderGetNext(decoder, &frame, &timestamp);
    if (ok) {
        width = animation.canvas_width;
        height = animation.canvas_height;
        bgra->assign(frame, frame + size_t(width) * height * 4);
    }
    WebPAnimDecoderDelete(decoder);
    return ok;
}

} // namespace

SPI_IMPORT_PLUGIN(kInfo, IsWebp, Decode)
