// The PNG import plug-in: every PNG (16-bit, interlaced, palettes with transparency, grey
// with alpha) as a 24-bit picture; transparency is laid on white, so a transparent logo
// stays readable.
#include "susie/spi.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace {

const char* const kInfo[] = {"00IN", "PNG import plug-in of Muralto (libpng)", "*.png",
                             "Portable Network Graphics"};

bool IsPng(const void* header) {
    return std::memcmp(header, "\x89PNG\r\n\x1a\n", 8) == 0;
}

struct Reader {
    const char* data;
    size_t size;
    size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (count > r->size - r->at)
        png_error(png, "the data ends early");
    std::memcpy(out, r->data + r->at, count);
    r->at += count;
}

void Silence(png_structp, png_const_charp) {}

// Decodes a PNG as rows of blue, green, red and alpha (8 bits each): palettes and grey
// expanded, 16 bits scaled, transparency as alpha. False on damage or a picture too large
// for a wallpaper; then nothing is allocated beyond the header.
bool Decode(const char* data, intptr_t length, uint32_t& width, uint32_t& height,
            std::vector<uint8_t>* bgra) {
    if (length < 8 || !IsPng(data))
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, Silence);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    Reader reader{data, size_t(length), 0};
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    const uint64_t stride24 = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
    if (width < 1 || height < 1 || width > MTGDI_MAX_SIDE || height > MTGDI_MAX_SIDE ||
        stride24 * height > MTGDI_MAX_24BIT_BYTES) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    if (bgra) {
        png_set_expand(png);
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        bgra->resize(size_t(width) * height * 4);
        rows.resize(height);
        for (uint32_t y = 0; y < height; ++y)
            rows[y] = bgra->data() + size_t(y) * width * 4;
        png_read_image(png, rows.data());
    }
    png_destroy_read_struct(&png, &info, nullptr);
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
    uint32_t width = 0, height = 0;
    if (!Decode(data, length, width, height, nullptr))
        return SPI_UNKNOWN_FORMAT;
    std::memset(info, 0, sizeof *info);
    info->width = int32_t(width);
    info->height = int32_t(height);
    info->colorDepth = 24;
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const char* data, intptr_t length, uint32_t flag,
                              MTLocalHandle* infoOut, MTLocalHandle* bitsOut,
                              SpiProgressCallback progress, intptr_t userData) {
    if (!(flag & SPI_INPUT_MEMORY) || !infoOut || !bitsOut)
        return SPI_NOT_IMPLEMENTED;
    if (progress && progress(0, 1, userData))
        return SPI_ABORT;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> bgra;
    try {
        if (!Decode(data, length, width, height, &bgra))
            return SPI_BROKEN_DATA;
    } catch (...) {
        return SPI_NO_MEMORY;
    }
    const size_t w = width, h = height;
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
