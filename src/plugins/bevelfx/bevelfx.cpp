// Shaded borders that make the picture look like a raised panel lit from one corner: the
// two borders facing the light brightened, the other two darkened, mitred at the corners.
#include "plugins/common/SysFunc.h"

#include <algorithm>

namespace {

using egl::TFailure;

constexpr egl::TEffectEntry kEffects[] = {
    {"陰影 [光源＝左上, 強度＝弱]", "FRAME_LT_W"}, {"陰影 [光源＝左上, 強度＝中]", "FRAME_LT_M"},
    {"陰影 [光源＝左上, 強度＝強]", "FRAME_LT_S"}, {"陰影 [光源＝右上, 強度＝弱]", "FRAME_RT_W"},
    {"陰影 [光源＝右上, 強度＝中]", "FRAME_RT_M"}, {"陰影 [光源＝右上, 強度＝強]", "FRAME_RT_S"},
    {"陰影 [光源＝左下, 強度＝弱]", "FRAME_LB_W"}, {"陰影 [光源＝左下, 強度＝中]", "FRAME_LB_M"},
    {"陰影 [光源＝左下, 強度＝強]", "FRAME_BL_S"}, {"陰影 [光源＝右下, 強度＝弱]", "FRAME_RB_W"},
    {"陰影 [光源＝右下, 強度＝中]", "FRAME_RB_M"}, {"陰影 [光源＝右下, 強度＝強]", "FRAME_RB_S"},
};
const egl::TLibraryTable kTable = {"3D Frame Library Ver1.0 — shaded frames of Muralto", kEffects,
                                   12, egl::TInfoResult::CopiedLength};

struct Strength {
    int band, step;
};
constexpr Strength kWeak = {7, 10}, kMedium = {12, 15}, kStrong = {15, 20};

// +1 brightens, -1 darkens: top, left, right, bottom.
struct Light {
    int top, left, right, bottom;
};
constexpr Light kLeftTop = {1, 1, -1, -1}, kRightTop = {1, -1, 1, -1}, kLeftBottom = {-1, 1, -1, 1},
                kRightBottom = {-1, -1, 1, 1};

void Shift(uint8_t* p, int amount) {
    for (int c = 0; c < 3; ++c)
        p[c] = uint8_t(std::clamp(p[c] + amount, 0, 255));
}

// A row band from column x0 to x1, clipped to the picture.
void ShadeRow(MTBitmap* image, int y, int x0, int x1, int amount) {
    if (y < 0 || y >= mtgdi_height(image))
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, mtgdi_width(image) - 1);
    uint8_t* row = mtgdi_scanline(image, y);
    for (int x = x0; x <= x1; ++x)
        Shift(row + 3 * x, amount);
}

void ShadeColumn(MTBitmap* image, int x, int y0, int y1, int amount) {
    if (x < 0 || x >= mtgdi_width(image))
        return;
    y0 = std::max(y0, 0);
    y1 = std::min(y1, mtgdi_height(image) - 1);
    for (int y = y0; y <= y1; ++y)
        Shift(egl::Pixel24(image, x, y), amount);
}

// The four bands in the order top, left, right, bottom, each pixel moved by
// s * (d - t) at distance t from its edge; bands past a small picture's edges are clipped.
egl::TWork Frame(Light light, Strength strength) {
    return [light, strength](MTBitmap*& image) {
        const int w = mtgdi_width(image), h = mtgdi_height(image);
        const int d = strength.band;
        for (int t = 0; t < d; ++t)
            ShadeRow(image, t, t, w - 1 - t, light.top * strength.step * (d - t));
        for (int t = 0; t < d; ++t)
            ShadeColumn(image, t, t + 1, h - 2 - t, light.left * strength.step * (d - t));
        for (int t = 0; t < d; ++t)
            ShadeColumn(image, w - 1 - t, t + 1, h - 2 - t, light.right * strength.step * (d - t));
        for (int t = 0; t < d; ++t)
            ShadeRow(image, h - 1 - t, t, w - 1 - t, light.bottom * strength.step * (d - t));
    };
}

constexpr TFailure kFailure = TFailure::ConvertedAndRaise;

} // namespace

EGL_LIBRARY(kTable)
EGL_EFFECT(FRAME_LT_W, kFailure, Frame(kLeftTop, kWeak))
EGL_EFFECT(FRAME_LT_M, kFailure, Frame(kLeftTop, kMedium))
EGL_EFFECT(FRAME_LT_S, kFailure, Frame(kLeftTop, kStrong))
EGL_EFFECT(FRAME_RT_W, kFailure, Frame(kRightTop, kWeak))
EGL_EFFECT(FRAME_RT_M, kFailure, Frame(kRightTop, kMedium))
EGL_EFFECT(FRAME_RT_S, kFailure, Frame(kRightTop, kStrong))
EGL_EFFECT(FRAME_LB_W, kFailure, Frame(kLeftBottom, kWeak))
EGL_EFFECT(FRAME_LB_M, kFailure, Frame(kLeftBottom, kMedium))
EGL_EFFECT(FRAME_BL_S, kFailure, Frame(kLeftBottom, kStrong))
EGL_EFFECT(FRAME_RB_W, kFailure, Frame(kRightBottom, kWeak))
EGL_EFFECT(FRAME_RB_M, kFailure, Frame(kRightBottom, kMedium))
EGL_EFFECT(FRAME_RB_S, kFailure, Frame(kRightBottom, kStrong))
