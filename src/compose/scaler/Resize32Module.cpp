// The filtered scaler, a module of its own that the program loads by its full path.
// Quality first: Lanczos-3; speed first: a triangle filter. Both widen with the shrink
// factor, so every source pixel counts when a picture is made much smaller (no aliasing).
// Rows are split between two threads.
#include "resize32.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#define RESIZE32_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr double kPi = 3.14159265358979323846;

double Sinc(double x) {
    return x == 0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
}

struct Taps {
    int first;                    // first source index
    std::vector<int32_t> weights; // 14-bit fixed point, summing to 1 << 14
};

// The source pixels and weights of every output pixel along one axis.
std::vector<Taps> Contributions(int source, int target, bool lanczos) {
    const double scale = double(target) / source;
    const double widen = scale < 1 ? 1 / scale : 1.0;
    const double radius = (lanczos ? 3.0 : 1.0) * widen;
    std::vector<Taps> taps(static_cast<size_t>(target));
    std::vector<double> w;
    for (int i = 0; i < target; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;
        const int lo = std::max(0, int(std::floor(centre - radius)));
        const int hi = std::min(source - 1, int(std::ceil(centre + radius)));
        w.assign(size_t(hi - lo + 1), 0.0);
        double sum = 0;
        for (int j = lo; j <= hi; ++j) {
            const double d = (j - centre) / widen;
            double v;
            if (lanczos)
                v = std::fabs(d) < 3 ? Sinc(d) * Sinc(d / 3) : 0;
            else
                v = std::max(0.0, 1 - std::fabs(d));
            w[size_t(j - lo)] = v;
            sum += v;
        }
        if (sum == 0) { // a target far larger than the source: nearest pixel
            w.assign(1, 1.0);
            sum = 1;
        }
        Taps& t = taps[size_t(i)];
        t.first =
            sum == 1 && w.size() == 1 ? std::clamp(int(std::lround(centre)), 0, source - 1) : lo;
        int32_t total = 0;
        for (const double v : w) {
            t.weights.push_back(int32_t(std::lround(v / sum * 16384)));
            total += t.weights.back();
        }
        // Rounding must not brighten or darken: the largest tap takes the rest.
        auto biggest = std::max_element(t.weights.begin(), t.weights.end());
        *biggest += 16384 - total;
    }
    return taps;
}

inline uint8_t Clamp(int32_t v) {
    v = (v + 8192) >> 14;
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

template <class Work> void Parallel(int rows, Work work) {
    const int half = rows / 2;
    std::thread other([&] { work(half, rows); });
    work(0, half);
    other.join();
}

// One row across: every output pixel from its taps of the source row.
void ScaleRowAcross(const std::vector<Taps>& across, const uint8_t* src, uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x) {
        const Taps& t = across[size_t(x)];
        const uint8_t* p = src + 3 * t.first;
        int32_t b = 0, g = 0, r = 0;
        for (const int32_t w : t.weights) {
            b += w * p[0];
            g += w * p[1];
            r += w * p[2];
            p += 3;
        }
        dst[3 * x] = Clamp(b);
        dst[3 * x + 1] = Clamp(g);
        dst[3 * x + 2] = Clamp(r);
    }
}

// One row down: the weighted sum of the source rows of its taps.
void ScaleRowDown(const Taps& t, const MTBitmap* source, int32_t* acc, uint8_t* dst, int rowBytes) {
    std::fill(acc, acc + rowBytes, 0);
    for (size_t k = 0; k < t.weights.size(); ++k) {
        const uint8_t* src = mtgdi_scanline_const(source, t.first + int(k));
        const int32_t w = t.weights[k];
        for (int i = 0; i < rowBytes; ++i)
            acc[i] += w * src[i];
    }
    for (int i = 0; i < rowBytes; ++i)
        dst[i] = Clamp(acc[i]);
}

} // namespace

// A plan for scaling row by row while the source is still being decoded: output row y
// needs the source rows below resize32_rows_needed(y).
struct Resize32Plan {
    int sw, sh, w, h;
    std::vector<Taps> down, across;
};

RESIZE32_EXPORT Resize32Plan* resize32_plan(int32_t sw, int32_t sh, int32_t w, int32_t h,
                                            int32_t quality) {
    if (sw < 1 || sh < 1 || w < 1 || h < 1)
        return nullptr;
    auto* plan = new Resize32Plan{sw, sh, w, h, {}, {}};
    plan->down = Contributions(sh, h, quality != 0);
    plan->across = Contributions(sw, w, quality != 0);
    return plan;
}

RESIZE32_EXPORT int32_t resize32_rows_needed(const Resize32Plan* plan, int32_t y) {
    const Taps& t = plan->down[size_t(y)];
    return t.first + int32_t(t.weights.size());
}

// One output row; scratch holds 3 * sw int32 values and 3 * sw bytes.
RESIZE32_EXPORT void resize32_row(const Resize32Plan* plan, const MTBitmap* source, MTBitmap* out,
                                  int32_t y, void* scratch) {
    const int rowBytes = plan->sw * 3;
    auto* acc = static_cast<int32_t*>(scratch);
    auto* line = reinterpret_cast<uint8_t*>(acc + rowBytes);
    ScaleRowDown(plan->down[size_t(y)], source, acc, line, rowBytes);
    ScaleRowAcross(plan->across, line, mtgdi_scanline(out, y), plan->w);
}

RESIZE32_EXPORT void resize32_free(Resize32Plan* plan) {
    delete plan;
}

// Scales a 24-bit bitmap to width x height; quality 1 Lanczos, 0 faster. Null on bad input.
RESIZE32_EXPORT MTBitmap* resize32_scale(const MTBitmap* source, int32_t width, int32_t height,
                                         int32_t quality) {
    if (!source || mtgdi_format(source) != MT_PF24 || width < 1 || height < 1)
        return nullptr;
    const int sw = mtgdi_width(source), sh = mtgdi_height(source);
    const bool lanczos = quality != 0;
    // Rows first: that pass runs along whole scan lines, which the compiler vectorises,
    // and it leaves fewer rows for the pass across.
    MTBitmap* middle = mtgdi_create(sw, height, MT_PF24);
    MTBitmap* out = middle ? mtgdi_create(width, height, MT_PF24) : nullptr;
    if (!out) {
        mtgdi_free(middle);
        return nullptr;
    }
    const std::vector<Taps> down = Contributions(sh, height, lanczos);
    const int rowBytes = sw * 3;
    Parallel(height, [&](int from, int to) {
        std::vector<int32_t> sum(static_cast<size_t>(rowBytes));
        for (int y = from; y < to; ++y)
            ScaleRowDown(down[size_t(y)], source, sum.data(), mtgdi_scanline(middle, y), rowBytes);
    });
    const std::vector<Taps> across = Contributions(sw, width, lanczos);
    Parallel(height, [&](int from, int to) {
        for (int y = from; y < to; ++y)
            ScaleRowAcross(across, mtgdi_scanline_const(middle, y), mtgdi_scanline(out, y), width);
    });
    mtgdi_free(middle);
    return out;
}
