// Quarter and half turns and the two mirrors, on 4-, 8- and 24-bit pictures alike; the
// result keeps the pixel format and colour table.
#include "plugins/common/SysFunc.h"

#include <algorithm>

namespace {

using egl::TFailure;

// Each export does what its name says on every bit depth, and the mirrors' display names
// say what they do.
constexpr egl::TEffectEntry kEffects[] = {
    {"右90°回転", "ROTATERIGHT90"}, {"左90°回転", "ROTATELEFT90"}, {"180°回転", "ROTATE180"},
    {"左右反転", "LRREVERSE"},      {"上下反転", "TBREVERSE"},
};
const egl::TLibraryTable kTable = {"Rotate Library Ver1.0 — turns and mirrors of Muralto", kEffects,
                                   5, egl::TInfoResult::FourThenZero};

enum class Turn { Clockwise, Counterclockwise, Half, MirrorLeftRight, MirrorTopBottom };

int Nibble(const uint8_t* row, int x) {
    return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
}

void SetNibble(uint8_t* row, int x, int value) {
    uint8_t& b = row[x / 2];
    b = x % 2 ? uint8_t((b & 0xF0) | value) : uint8_t((b & 0x0F) | value << 4);
}

// The input pixel that output pixel (x, y) copies, for an input of w x h.
struct Source {
    Turn turn;
    int w, h;
    void operator()(int x, int y, int& sx, int& sy) const {
        switch (turn) {
        case Turn::Clockwise:
            sx = y, sy = h - 1 - x;
            break;
        case Turn::Counterclockwise:
            sx = w - 1 - y, sy = x;
            break;
        case Turn::Half:
            sx = w - 1 - x, sy = h - 1 - y;
            break;
        case Turn::MirrorLeftRight:
            sx = w - 1 - x, sy = y;
            break;
        default:
            sx = x, sy = h - 1 - y;
            break;
        }
    }
};

egl::TWork Rotate(Turn turn) {
    return [turn](MTBitmap*& image) {
        egl::NormaliseFormat(image);
        const int w = mtgdi_width(image), h = mtgdi_height(image);
        const int format = mtgdi_format(image);
        const bool quarter = turn == Turn::Clockwise || turn == Turn::Counterclockwise;
        const int ow = quarter ? h : w, oh = quarter ? w : h;
        MTBitmap* out = mtgdi_create(ow, oh, format);
        if (!out)
            throw std::bad_alloc();
        if (format != MT_PF24) {
            mtgdi_set_palette_size(out, mtgdi_palette_size(image));
            std::copy_n(mtgdi_palette(image), mtgdi_palette_size(image), mtgdi_palette(out));
        }
        const Source source{turn, w, h};
        const int bytes = format == MT_PF24 ? 3 : 1;
        // Blocks keep both pictures' rows in the cache while a quarter turn walks columns.
        constexpr int kBlock = 64;
        for (int by = 0; by < oh; by += kBlock)
            for (int bx = 0; bx < ow; bx += kBlock)
                for (int y = by; y < std::min(by + kBlock, oh); ++y) {
                    uint8_t* dst = mtgdi_scanline(out, y);
                    for (int x = bx; x < std::min(bx + kBlock, ow); ++x) {
                        int sx, sy;
                        source(x, y, sx, sy);
                        const uint8_t* src = mtgdi_scanline_const(image, sy);
                        if (format == MT_PF4) {
                            SetNibble(dst, x, Nibble(src, sx));
                        } else {
                            for (int c = 0; c < bytes; ++c)
                                dst[bytes * x + c] = src[bytes * sx + c];
                        }
                    }
                }
        mtgdi_free(image);
        image = out;
    };
}

constexpr TFailure kFailure = TFailure::RestoreAndRaise;

} // namespace

EGL_LIBRARY(kTable)
EGL_EFFECT(ROTATERIGHT90, kFailure, Rotate(Turn::Clockwise))
EGL_EFFECT(ROTATELEFT90, kFailure, Rotate(Turn::Counterclockwise))
EGL_EFFECT(ROTATE180, kFailure, Rotate(Turn::Half))
EGL_EFFECT(LRREVERSE, kFailure, Rotate(Turn::MirrorLeftRight))
EGL_EFFECT(TBREVERSE, kFailure, Rotate(Turn::MirrorTopBottom))
