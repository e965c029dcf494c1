#pragma once
// The filtered scaler, loaded from the program folder by its full path; without it,
// scaling falls back to the nearest-neighbour stretch.
#include "platform/mtgdi/Bitmap.h"

#include <string>

namespace muralto {

extern const char* const kScalerModule; // "RESIZE32.so"

class TResize {
public:
    TResize();
    ~TResize();
    TResize(const TResize&) = delete;
    TResize& operator=(const TResize&) = delete;
    bool Available() const { return scale_ != nullptr; }
    // Scales a bitmap (made 24-bit) to exactly width x height; quality 1 or 0.
    bool Resize(BitmapPtr& bitmap, int width, int height, int quality);

private:
    void* library_ = nullptr;
    MTBitmap* (*scale_)(const MTBitmap*, int32_t, int32_t, int32_t) = nullptr;
};

// The fallback: every target pixel takes the source pixel under its centre.
BitmapPtr StretchNearest(const MTBitmap* source, int width, int height);

} // namespace muralto
