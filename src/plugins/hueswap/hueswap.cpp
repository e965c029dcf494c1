// Channel permutations of every pixel, or of every colour-table entry.
#include "plugins/common/SysFunc.h"

namespace {

using egl::TFailure;

constexpr egl::TEffectEntry kEffects[] = {{"RGB -> BRG", "RGBTOBRG"}, {"RGB -> GBR", "RGBTOGBR"}};
const egl::TLibraryTable kTable = {"RGB Rotate Library Ver1.0 — channel swaps of Muralto", kEffects,
                                   2, egl::TInfoResult::Four};

// New (R, G, B) = (B, R, G) when toBrg, else (G, B, R).
egl::TWork Swap(bool toBrg) {
    return egl::ColourWork(
        [toBrg](MTBitmap*& image) {
            const int32_t w = mtgdi_width(image);
            for (int32_t y = 0; y < mtgdi_height(image); ++y) {
                uint8_t* p = mtgdi_scanline(image, y);
                for (int32_t x = 0; x < w; ++x, p += 3) {
                    const uint8_t b = p[0], g = p[1], r = p[2];
                    p[2] = toBrg ? b : g;
                    p[1] = toBrg ? r : b;
                    p[0] = toBrg ? g : r;
                }
            }
        },
        [toBrg](uint32_t* entries, int count) {
            for (int i = 0; i < count; ++i) {
                const uint32_t e = entries[i];
                const uint32_t r = (e >> 16) & 0xFF, g = (e >> 8) & 0xFF, b = e & 0xFF;
                entries[i] =
                    (e & 0xFF000000u) | (toBrg ? (b << 16 | r << 8 | g) : (g << 16 | b << 8 | r));
            }
        });
}

} // namespace

EGL_LIBRARY(kTable)
EGL_EFFECT(RGBTOBRG, TFailure::Unchanged, Swap(true))
EGL_EFFECT(RGBTOGBR, TFailure::Unchanged, Swap(false))
