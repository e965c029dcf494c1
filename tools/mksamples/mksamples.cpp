// Makes the bundled sample pictures: landscapes painted from layered noise (sky, sun,
// ridges fading into haze, water with a reflection), deterministic for a given seed.
// Usage: mksamples FOLDER
#include "compose/MWGraphic.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using namespace muralto;

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = seed ^ (uint32_t(x) * 0x27d4eb2dU) ^ (uint32_t(y) * 0x165667b1U);
    h ^= h >> 15;
    h *= 0x2c1b3c6dU;
    h ^= h >> 12;
    h *= 0x297a2d39U;
    h ^= h >> 15;
    return h;
}

double Lattice(int x, int y, uint32_t seed) {
    return (Hash(x, y, seed) & 0xFFFFFF) / 16777215.0;
}

double Smooth(double t) {
    return t * t * (3 - 2 * t);
}

double Noise(double x, double y, uint32_t seed) {
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    const double tx = Smooth(x - xi), ty = Smooth(y - yi);
    const double a = Lattice(xi, yi, seed), b = Lattice(xi + 1, yi, seed);
    const double c = Lattice(xi, yi + 1, seed), d = Lattice(xi + 1, yi + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double Fractal(double x, double y, uint32_t seed, int octaves) {
    double sum = 0, amplitude = 0.5, frequency = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * Noise(x * frequency, y * frequency, seed + uint32_t(i) * 101);
        amplitude *= 0.5;
        frequency *= 2.03;
    }
    return sum;
}

struct Scene {
    const char* name;
    int width, height;
    uint32_t seed;
    Rgb skyTop, skyHorizon, sun, ridgeNear, ridgeFar, water;
    double horizon; // fraction of the height where the water begins
    double sunX, sunY;
};

void Paint(const Scene& s, MTBitmap* bitmap) {
    const int w = s.width, h = s.height;
    const double scale = 1.0 / std::max(w, h);
    const int waterTop = int(s.horizon * h);
    // Ridge heights per column, far to near.
    const int ridges = 4;
    std::vector<std::vector<double>> ridgeTop(ridges, std::vector<double>(size_t(w)));
    for (int k = 0; k < ridges; ++k)
        for (int x = 0; x < w; ++x) {
            const double base = s.horizon - 0.08 - 0.22 * (ridges - k) / ridges;
            ridgeTop[size_t(k)][size_t(x)] =
                (base + 0.25 * Fractal(x * scale * (2.0 + k), k * 7.3, s.seed + 17 * k, 6)) * h;
        }
    for (int y = 0; y < h; ++y) {
        uint8_t* row = mtgdi_scanline(bitmap, y);
        for (int x = 0; x < w; ++x) {
            // Above the water the scene itself; below it the reflection, rippled.
            int sy = y;
            double ripple = 0;
            if (y >= waterTop) {
                ripple = (Fractal(x * scale * 40, y * scale * 220, s.seed + 9, 3) - 0.5);
                sy = std::clamp(2 * waterTop - y + int(ripple * 14), 0, waterTop - 1);
            }
            const double fy = double(sy) / h;
            Rgb c = Mix(s.skyTop, s.skyHorizon, std::pow(fy / s.horizon, 1.4));
            const double dx = x * 1.0 / w - s.sunX, dy = (fy - s.sunY) * h / w;
            const double d = std::sqrt(dx * dx + dy * dy);
            c = Mix(c, s.sun, std::exp(-d * 9.0) * 0.85 + (d < 0.035 ? 1.0 : 0.0));
            const double cloud = Fractal(x * scale * 5, sy * scale * 14, s.seed + 3, 6);
            c = Mix(c, {0.97, 0.95, 0.93},
                    std::clamp((cloud - 0.55) * 3.0, 0.0, 0.7) * (1.0 - fy / s.horizon));
            for (int k = 0; k < ridges; ++k) {
                if (sy >= ridgeTop[size_t(k)][size_t(x)]) {
                    const double depth = double(k) / (ridges - 1);
                    Rgb rock = Mix(s.ridgeFar, s.ridgeNear, depth);
                    const double texture = Fractal(x * scale * 60, sy * scale * 60, s.seed + k, 4);
                    rock = Mix(rock, {rock.r * 0.6, rock.g * 0.6, rock.b * 0.6}, texture);
                    c = Mix(rock, s.skyHorizon, 0.55 * (1.0 - depth));
                }
            }
            if (y >= waterTop)
                c = Mix(c, s.water,
                        0.35 + 0.3 * double(y - waterTop) / (h - waterTop) + ripple * 0.2);
            const double grain = (Lattice(x, y, s.seed + 77) - 0.5) * 0.025;
            row[3 * x + 2] = uint8_t(std::clamp((c.r + grain) * 255.0, 0.0, 255.0));
            row[3 * x + 1] = uint8_t(std::clamp((c.g + grain) * 255.0, 0.0, 255.0));
            row[3 * x + 0] = uint8_t(std::clamp((c.b + grain) * 255.0, 0.0, 255.0));
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mksamples FOLDER\n");
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    CreateFolders(folder);
    const Scene scenes[] = {
        {"Dawn Lake.bmp",
         1920,
         1080,
         11,
         {0.16, 0.22, 0.45},
         {0.98, 0.70, 0.48},
         {1.0, 0.93, 0.75},
         {0.10, 0.11, 0.16},
         {0.42, 0.36, 0.48},
         {0.10, 0.16, 0.28},
         0.68,
         0.62,
         0.50},
        {"Glacier Noon.bmp",
         1280,
         800,
         23,
         {0.12, 0.38, 0.78},
         {0.72, 0.86, 0.96},
         {1.0, 1.0, 0.95},
         {0.22, 0.26, 0.30},
         {0.70, 0.76, 0.84},
         {0.14, 0.34, 0.44},
         0.72,
         0.25,
         0.18},
        {"Autumn Dusk.bmp",
         800,
         600,
         37,
         {0.30, 0.12, 0.30},
         {0.98, 0.52, 0.22},
         {1.0, 0.80, 0.45},
         {0.16, 0.08, 0.06},
         {0.55, 0.28, 0.30},
         {0.22, 0.10, 0.12},
         0.70,
         0.45,
         0.58},
        {"Fjord Night.bmp",
         600,
         900,
         51,
         {0.02, 0.03, 0.10},
         {0.12, 0.20, 0.36},
         {0.85, 0.88, 0.95},
         {0.03, 0.04, 0.07},
         {0.16, 0.20, 0.30},
         {0.04, 0.06, 0.12},
         0.66,
         0.70,
         0.22},
    };
    for (const Scene& s : scenes) {
        BitmapPtr bitmap(mtgdi_create(s.width, s.height, MT_PF24));
        Paint(s, bitmap.get());
        SaveBitmapFile(bitmap.get(), folder + s.name);
    }
    return 0;
}
