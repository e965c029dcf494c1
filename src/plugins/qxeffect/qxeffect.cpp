// Thirteen colour transformations: inversion, tinted monochromes in two variants, toned
// monochromes and two random tone curves. Each has a 24-bit pixel path and a palette path.
#include "plugins/common/SysFunc.h"

#include <array>
#include <chrono>
#include <cmath>
#include <random>

namespace {

using egl::TFailure;

constexpr egl::TEffectEntry kEffects[] = {
    {"ネガポジ反転", "NEGAPOGI"},
    {"グレースケール", "GRAYSCALE"},
    {"レッドスケール１", "REDSCALE1"},
    {"レッドスケール２", "REDSCALE2"},
    {"グリーンスケール１", "GREENSCALE1"},
    {"グリーンスケール２", "GREENSCALE2"},
    {"ブルースケール１", "BLUESCALE1"},
    {"ブルースケール２", "BLUESCALE2"},
    {"セピア", "SEPIA"},
    {"アイス", "ICE"},
    {"フォレスト", "FOREST"},
    {"ランダムカラー１", "RANDOMCHANGE1"},
    {"ランダムカラー２", "RANDOMCHANGE2"},
};
const egl::TLibraryTable kTable = {"Genuine Library Ver1.0 — colour effects of Muralto", kEffects,
                                   13, egl::TInfoResult::Four};

struct Rgb {
    int r, g, b;
};

Rgb FromEntry(uint32_t e) {
    return {int((e >> 16) & 0xFF), int((e >> 8) & 0xFF), int(e & 0xFF)};
}

uint32_t ToEntry(Rgb c, uint32_t flags) {
    return (flags & 0xFF000000u) | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}

// Real to byte: the ends clamp, the rest rounds half to even (the FPU's default mode).
int Clamp(double x) {
    if (x >= 255)
        return 255;
    if (x <= 0)
        return 0;
    return int(std::nearbyint(x));
}

// (30 R + 59 G + 11 B) / 100 rounded half to even, for every weighted sum.
const uint8_t* Y100Table() {
    static const std::array<uint8_t, 25501> table = [] {
        std::array<uint8_t, 25501> t{};
        for (int v = 0; v <= 25500; ++v) {
            const int q = v / 100, rest = v % 100;
            t[size_t(v)] = uint8_t(rest > 50 || (rest == 50 && (q & 1)) ? q + 1 : q);
        }
        return t;
    }();
    return table.data();
}

int Yw(int a, int b, int c, Rgb p) {
    return (a * p.r + b * p.g + c * p.b + 128) >> 8;
}

double Tone(int y, double e) {
    return 255.0 * std::pow(y / 255.0, e);
}

// A colour as a function of one luminance, tabled once per call.
struct ToneTable {
    uint8_t r[256], g[256], b[256];
};

// The 24-bit path of a colour that depends only on a luminance of the pixel.
void ApplyByLuminance(MTBitmap* image, int a, int b, int c, const ToneTable& t) {
    const int32_t w = mtgdi_width(image), h = mtgdi_height(image);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* p = mtgdi_scanline(image, y);
        for (int32_t x = 0; x < w; ++x, p += 3) {
            const int lum = Yw(a, b, c, {p[2], p[1], p[0]});
            p[0] = t.b[lum];
            p[1] = t.g[lum];
            p[2] = t.r[lum];
        }
    }
}

void PaletteByLuminance(uint32_t* entries, int count, int a, int b, int c, const ToneTable& t) {
    for (int i = 0; i < count; ++i) {
        const int lum = Yw(a, b, c, FromEntry(entries[i]));
        entries[i] = ToEntry({t.r[lum], t.g[lum], t.b[lum]}, entries[i]);
    }
}

// ---------------------------------------------------------------- inversion

void InvertPixels(MTBitmap*& image) {
    const int32_t bytes = 3 * mtgdi_width(image);
    for (int32_t y = 0; y < mtgdi_height(image); ++y) {
        uint8_t* p = mtgdi_scanline(image, y);
        for (int32_t i = 0; i < bytes; ++i)
            p[i] = uint8_t(255 - p[i]);
    }
}

void InvertPalette(uint32_t* entries, int count) {
    for (int i = 0; i < count; ++i) {
        const Rgb c = FromEntry(entries[i]);
        entries[i] = ToEntry({255 - c.r, 255 - c.g, 255 - c.b}, entries[i]);
    }
}

// ---------------------------------------------------------------- monochromes

enum class Ramp { Gray, RedWhite, GreenWhite, BlueWhite, Red, Green, Blue };

Rgb RampEntry(Ramp ramp, int i) {
    switch (ramp) {
    case Ramp::Gray:
        return {i, i, i};
    case Ramp::RedWhite:
        return {255, i, i};
    case Ramp::GreenWhite:
        return {i, 255, i};
    case Ramp::BlueWhite:
        return {i, i, 255};
    case Ramp::Red:
        return {i, 0, 0};
    case Ramp::Green:
        return {0, i, 0};
    default:
        return {0, 0, i};
    }
}

// 24-bit pictures become 8-bit ones on the ramp, indexed by their luminance.
egl::TPixelPath MonochromePixels(Ramp ramp) {
    return [ramp](MTBitmap*& image) {
        const int32_t w = mtgdi_width(image), h = mtgdi_height(image);
        MTBitmap* out = mtgdi_create(w, h, MT_PF8);
        if (!out)
            throw std::bad_alloc();
        uint32_t* table = mtgdi_palette(out);
        for (int i = 0; i < 256; ++i)
            table[i] = ToEntry(RampEntry(ramp, i), 0);
        const uint8_t* y100 = Y100Table();
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* p = mtgdi_scanline_const(image, y);
            uint8_t* q = mtgdi_scanline(out, y);
            for (int32_t x = 0; x < w; ++x, p += 3)
                q[x] = y100[30 * p[2] + 59 * p[1] + 11 * p[0]];
        }
        mtgdi_free(image);
        image = out;
    };
}

// Indexed pictures keep their indices; each entry becomes its colour on the ramp (the
// first variants by luminance, the second by the entry's own channel).
egl::TPalettePath MonochromePalette(Ramp ramp) {
    return [ramp](uint32_t* entries, int count) {
        for (int i = 0; i < count; ++i) {
            const Rgb c = FromEntry(entries[i]);
            const int y = Y100Table()[30 * c.r + 59 * c.g + 11 * c.b];
            Rgb out;
            switch (ramp) {
            case Ramp::Red:
                out = {c.r, 0, 0};
                break;
            case Ramp::Green:
                out = {0, c.g, 0};
                break;
            case Ramp::Blue:
                out = {0, 0, c.b};
                break;
            default:
                out = RampEntry(ramp, y);
                break;
            }
            entries[i] = ToEntry(out, 0);
        }
    };
}

egl::TWork Monochrome(Ramp ramp) {
    return egl::ColourWork(MonochromePixels(ramp), MonochromePalette(ramp));
}

// ---------------------------------------------------------------- toned monochromes

// Which channel keeps the luminance, and the others' exponents; the rounding of the
// sepia differs from the clamping of the others only past the ends, where tone stays in
// 0..255 anyway.
struct Toned {
    int a, b, c;       // luminance weights of R, G, B
    double er, eg, eb; // 0 keeps the luminance
};

ToneTable TonedTable(const Toned& t) {
    ToneTable table;
    for (int y = 0; y < 256; ++y) {
        table.r[y] = uint8_t(t.er ? Clamp(Tone(y, t.er)) : y);
        table.g[y] = uint8_t(t.eg ? Clamp(Tone(y, t.eg)) : y);
        table.b[y] = uint8_t(t.eb ? Clamp(Tone(y, t.eb)) : y);
    }
    return table;
}

egl::TWork TonedWork(Toned t) {
    return egl::ColourWork(
        [t](MTBitmap*& image) { ApplyByLuminance(image, t.a, t.b, t.c, TonedTable(t)); },
        [t](uint32_t* entries, int count) {
            PaletteByLuminance(entries, count, t.a, t.b, t.c, TonedTable(t));
        });
}

const Toned kSepia = {77, 150, 29, 0.75, 0, 1.333};
const Toned kIce = {29, 77, 150, 1.45, 0, 0.25};
const Toned kForest = {29, 150, 77, 1.43, 0.75, 0};

// ---------------------------------------------------------------- random tone curves

// Exponents drawn once per call from a generator seeded from the clock, held as floats.
egl::TWork RandomTone(bool second) {
    return [second](MTBitmap*& image) {
        std::mt19937 random(uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
        float e[3];
        for (float& exponent : e) {
            const float u = uniform(random);
            exponent = second ? float(std::sqrt(std::sin(u) / (M_PI / 10)) / (2 * M_PI)) : u;
        }
        ToneTable table;
        for (int y = 0; y < 256; ++y) {
            table.r[y] = uint8_t(Clamp(Tone(y, e[0])));
            table.g[y] = uint8_t(Clamp(Tone(y, e[1])));
            table.b[y] = uint8_t(Clamp(Tone(y, e[2])));
        }
        // The weights of red and blue differ between the two paths.
        egl::ColourWork([&](MTBitmap*& img) { ApplyByLuminance(img, 29, 150, 77, table); },
                        [&](uint32_t* entries, int count) {
                            PaletteByLuminance(entries, count, 77, 150, 29, table);
                        })(image);
    };
}

} // namespace

EGL_LIBRARY(kTable)
EGL_EFFECT(NEGAPOGI, TFailure::Unchanged, egl::ColourWork(InvertPixels, InvertPalette))
EGL_EFFECT(GRAYSCALE, TFailure::Unchanged, Monochrome(Ramp::Gray))
EGL_EFFECT(REDSCALE1, TFailure::Unchanged, Monochrome(Ramp::RedWhite))
EGL_EFFECT(REDSCALE2, TFailure::Unchanged, Monochrome(Ramp::Red))
EGL_EFFECT(GREENSCALE1, TFailure::Unchanged, Monochrome(Ramp::GreenWhite))
EGL_EFFECT(GREENSCALE2, TFailure::Unchanged, Monochrome(Ramp::Green))
EGL_EFFECT(BLUESCALE1, TFailure::Unchanged, Monochrome(Ramp::BlueWhite))
EGL_EFFECT(BLUESCALE2, TFailure::Unchanged, Monochrome(Ramp::Blue))
EGL_EFFECT(SEPIA, TFailure::Unchanged, TonedWork(kSepia))
EGL_EFFECT(ICE, TFailure::Unchanged, TonedWork(kIce))
EGL_EFFECT(FOREST, TFailure::Unchanged, TonedWork(kForest))
EGL_EFFECT(RANDOMCHANGE1, TFailure::Unchanged, RandomTone(false))
EGL_EFFECT(RANDOMCHANGE2, TFailure::Unchanged, RandomTone(true))
