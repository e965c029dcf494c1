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

} // namespace

extern "C" {

SPI_EXPORT int32_t GetPluginInfo(int32_t number, char* buffer, int32_t bufferLength) {
    return spi::InfoText(kInfo, 4, number, buffer, bufferLength);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* header) {
    return header && IsWebp(header) ? 1 : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* data, intptr_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    WebPBitstreamFeatures f;
    if (!(flag & SPI_INPUT_MEMORY) || !info)
        return SPI_NOT_IMPLEMENTED;
    if (!Features(data, length, f))
        return SPI_UNKNOWN_FORMAT;
    std::memset(info, 0, sizeof *info);
    info->width = f.width;
    info->height = f.height;
    info->colorDepth = 24;
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const char* data, intptr_t length, uint32_t flag,
                              MTLocalHandle* infoOut, MTLocalHandle* bitsOut,
                              SpiProgressCallback progress, intptr_t userData) {
    WebPBitstreamFeatures f;
    if (!(flag & SPI_INPUT_MEMORY) || !infoOut || !bitsOut)
        return SPI_NOT_IMPLEMENTED;
    if (!Features(data, length, f))
        return SPI_BROKEN_DATA;
    if (progress && progress(0, 1, userData))
        return SPI_ABORT;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data);
    if (!f.has_animation) {
        int w = 0, h = 0;
        uint8_t* bgra = WebPDecodeBGRA(bytes, size_t(length), &w, &h);
        if (!bgra)
            return SPI_BROKEN_DATA;
        const int32_t rc = spi::HandBack(bgra, size_t(w), size_t(h), infoOut, bitsOut);
        WebPFree(bgra);
        return rc;
    }
    // An animation: its first frame, composed as the decoder shows it.
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    const WebPData webp{bytes, size_t(length)};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp, &options);
    if (!decoder)
        return SPI_BROKEN_DATA;
    WebPAnimInfo animation;
    uint8_t* frame = nullptr;
    int timestamp = 0;
    int32_t rc = SPI_BROKEN_DATA;
    if (WebPAnimDecoderGetInfo(decoder, &animation) &&
        spi::SizeAllowed(animation.canvas_width, animation.canvas_height) &&
        WebPAnimDecoderGetNext(decoder, &frame, &timestamp))
        rc =
            spi::HandBack(frame, animation.canvas_width, animation.canvas_height, infoOut, bitsOut);
    WebPAnimDecoderDelete(decoder);
    return rc;
}

} // extern "C"
