// The PNG import plug-in: every PNG (16-bit, interlaced, palettes with transparency, grey
// with alpha) as a 24-bit picture; transparency is laid on white, so a transparent logo
// stays readable.
#include "susie/common/SpiCommon.h"

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

// A damaged file is an answer, not something to print: back to the setjmp quietly.
[[noreturn]] void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// Decodes a PNG as rows of blue, green, red and alpha (8 bits each): palettes and grey
// expanded, 16 bits scaled, transparency as alpha. False on damage or a picture too large
// for a wallpaper; then nothing is allocated beyond the header.
bool Decode(const char* data, intptr_t length, uint32_t& width, uint32_t& height,
            std::vector<uint8_t>* bgra) {
    if (length < 8 || !IsPng(data))
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Silence);
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
    if (!spi::SizeAllowed(width, height)) {
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

} // namespace

SPI_IMPORT_PLUGIN(kInfo, IsPng, Decode)
