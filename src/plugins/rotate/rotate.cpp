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

// The input pixel that output pixel (x, y) copies, for an input of w x h, as the pixel
// of output (0, y) and the step to the next output pixel along the row.
struct Walk {
    int sx, sy, dx, dy;
};

Walk RowWalk(Turn turn, int w, int h, int y) {
    switch (turn) {
    case Turn::Clockwise: // out(x, y) = in(y, h - 1 - x)
        return {y, h - 1, 0, -1};
    case Turn::Counterclockwise: // out(x, y) = in(w - 1 - y, x)
        return {w - 1 - y, 0, 0, 1};
    case Turn::Half: // out(x, y) = in(w - 1 - x, h - 1 - y)
        return {w - 1, h - 1 - y, -1, 0};
    case Turn::MirrorLeftRight: // out(x, y) = in(w - 1 - x, y)
        return {w - 1, y, -1, 0};
    default: // out(x, y) = in(x, h - 1 - y)
        return {0, h - 1 - y, 1, 0};
    }
}

// Copies output columns x0..x1 of row y; bytes-per-pixel formats walk the source with
// one pointer step, 4-bit ones nibble by nibble.
void CopyRun(const MTBitmap* image, MTBitmap* out, Turn turn, int y, int x0, int x1) {
    const int w = mtgdi_width(image), h = mtgdi_height(image);
    const Walk walk = RowWalk(turn, w, h, y);
    int sx = walk.sx + walk.dx * x0, sy = walk.sy + walk.dy * x0;
    uint8_t* dst = mtgdi_scanline(out, y);
    if (mtgdi_format(image) == MT_PF4) {
        for (int x = x0; x < x1; ++x, sx += walk.dx, sy += walk.dy)
            SetNibble(dst, x, Nibble(mtgdi_scanline_const(image, sy), sx));
        return;
    }
    const int bytes = mtgdi_format(image) == MT_PF24 ? 3 : 1;
    const uint8_t* base = mtgdi_scanline_const(image, 0);
    const ptrdiff_t stride = mtgdi_scanline_const(image, h > 1 ? 1 : 0) - base;
    const uint8_t* src = base + sy * stride + sx * bytes;
    const ptrdiff_t step = walk.dy * stride + walk.dx * bytes;
    dst += x0 * bytes;
    if (bytes == 3) {
        for (int x = x0; x < x1; ++x, src += step, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    } else {
        for (int x = x0; x < x1; ++x, src += step)
            *dst++ = *src;
    }
}

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
        // A quarter turn walks the source down its columns: blocks keep the rows it
        // touches in the cache. The mirrors and the half turn walk along rows.
        const int block = quarter ? 64 : ow;
        for (int bx = 0; bx < ow; bx += block)
            for (int y = 0; y < oh; ++y)
                CopyRun(image, out, turn, y, bx, std::min(bx + block, ow));
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
