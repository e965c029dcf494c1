// The PNG import plug-in: every PNG (16-bit, interlaced, palettes with transparency, grey
// with alpha) as a 24-bit picture; transparency is laid on white, so a transparent logo
// stays readable.
#include "susie/spi.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace {

const char* const kInfo[] = {"00IN", "PNG import plug-in of Muralto (libpng)", "*.png",
                             "Portable Network Graphics"};

bool IsPng(const void* header) {
    return std::memcmp(header, "\x89PNG\r\n\x1a\n", 8) == 0;
}

// Reads the header; false when it is no PNG or too large for a wallpaper.
bool Begin(png_image& image, const char* data, intptr_t length) {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (length < 8 || !IsPng(data) ||
        !png_image_begin_read_from_memory(&image, data, size_t(length)))
        return false;
    const uint64_t stride24 = (uint64_t(image.width) * 3 + 3) & ~uint64_t(3);
    if (image.width < 1 || image.height < 1 || image.width > MTGDI_MAX_SIDE ||
        image.height > MTGDI_MAX_SIDE || stride24 * image.height > MTGDI_MAX_24BIT_BYTES) {
        png_image_free(&image);
        return false;
    }
    return true;
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

} // namespace

extern "C" {

SPI_EXPORT int32_t GetPluginInfo(int32_t number, char* buffer, int32_t bufferLength) {
    if (number < 0 || number > 3 || !buffer || bufferLength < 1)
        return 0;
    const size_t n = std::min(std::strlen(kInfo[number]), size_t(bufferLength - 1));
    std::memcpy(buffer, kInfo[number], n);
    buffer[n] = 0;
    return int32_t(n);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* header) {
    return header && IsPng(header) ? 1 : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* data, intptr_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    if (!(flag & SPI_INPUT_MEMORY) || !info)
        return SPI_NOT_IMPLEMENTED;
    png_image image;
    if (!Begin(image, data, length))
        return SPI_UNKNOWN_FORMAT;
    std::memset(info, 0, sizeof *info);
    info->width = int32_t(image.width);
    info->height = int32_t(image.height);
    info->colorDepth = 24;
    png_image_free(&image);
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const char* data, intptr_t length, uint32_t flag,
                              MTLocalHandle* infoOut, MTLocalHandle* bitsOut,
                              SpiProgressCallback progress, intptr_t userData) {
    if (!(flag & SPI_INPUT_MEMORY) || !infoOut || !bitsOut)
        return SPI_NOT_IMPLEMENTED;
    png_image image;
    if (!Begin(image, data, length))
        return SPI_UNKNOWN_FORMAT;
    if (progress && progress(0, 1, userData))
        return png_image_free(&image), SPI_ABORT;
    image.format = PNG_FORMAT_BGRA;
    const size_t w = image.width, h = image.height;
    std::vector<uint8_t> bgra;
    try {
        bgra.resize(w * h * 4);
    } catch (...) {
        png_image_free(&image);
        return SPI_NO_MEMORY;
    }
    if (!png_image_finish_read(&image, nullptr, bgra.data(), int32_t(w * 4), nullptr))
        return png_image_free(&image), SPI_BROKEN_DATA;
    const size_t stride = (w * 3 + 3) & ~size_t(3);
    MTLocalHandle info = mtgdi_local_alloc(40, 1);
    MTLocalHandle bits = mtgdi_local_alloc(stride * h, 1);
    if (!info || !bits) {
        mtgdi_local_free(info);
        mtgdi_local_free(bits);
        return SPI_NO_MEMORY;
    }
    auto* header = static_cast<uint8_t*>(mtgdi_local_lock(info));
    Put32(header, 40);
    Put32(header + 4, uint32_t(w));
    Put32(header + 8, uint32_t(h));
    header[12] = 1;
    header[14] = 24;
    Put32(header + 20, uint32_t(stride * h));
    mtgdi_local_unlock(info);
    auto* out = static_cast<uint8_t*>(mtgdi_local_lock(bits));
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* src = bgra.data() + y * w * 4;
        uint8_t* dst = out + (h - 1 - y) * stride; // rows bottom-up
        for (size_t x = 0; x < w; ++x, src += 4, dst += 3) {
            const unsigned a = src[3];
            for (int c = 0; c < 3; ++c)
                dst[c] = uint8_t((src[c] * a + 255 * (255 - a) + 127) / 255);
        }
    }
    mtgdi_local_unlock(bits);
    if (progress)
        progress(1, 1, userData);
    *infoOut = info;
    *bitsOut = bits;
    return SPI_SUCCESS;
}

} // extern "C"
