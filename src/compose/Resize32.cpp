#include "Resize32.h"

#include "platform/Paths.h"

#include <vector>

#include <dlfcn.h>

namespace muralto {

const char* const kScalerModule = "RESIZE32.so";

TResize::TResize() {
    // By its full path only: a module of that name elsewhere on the search path is never
    // loaded in its place.
    const std::string path = ProgramFolder() + kScalerModule;
    if (!FileExists(path))
        return;
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_)
        scale_ = reinterpret_cast<decltype(scale_)>(dlsym(library_, "resize32_scale"));
}

TResize::~TResize() {
    if (library_)
        dlclose(library_);
}

bool TResize::Resize(BitmapPtr& bitmap, int width, int height, int quality) {
    if (!scale_ || !bitmap)
        return false;
    if (mtgdi_format(bitmap.get()) != MT_PF24)
        bitmap.reset(mtgdi_convert(bitmap.get(), MT_PF24));
    BitmapPtr scaled(scale_(bitmap.get(), width, height, quality));
    if (!scaled)
        return false;
    bitmap = std::move(scaled);
    return true;
}

BitmapPtr StretchNearest(const MTBitmap* source, int width, int height) {
    BitmapPtr out(mtgdi_create(width, height, MT_PF24));
    if (!out)
        return nullptr;
    const int sw = mtgdi_width(source), sh = mtgdi_height(source);
    std::vector<int> columns(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[size_t(x)] = int((int64_t(x) * 2 + 1) * sw / (int64_t(width) * 2));
    for (int y = 0; y < height; ++y) {
        const int sy = int((int64_t(y) * 2 + 1) * sh / (int64_t(height) * 2));
        const uint8_t* src = mtgdi_scanline_const(source, sy);
        uint8_t* dst = mtgdi_scanline(out.get(), y);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = src + 3 * columns[size_t(x)];
            dst[3 * x] = p[0];
            dst[3 * x + 1] = p[1];
            dst[3 * x + 2] = p[2];
        }
    }
    return out;
}

} // namespace muralto
