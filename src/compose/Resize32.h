#pragma once
// The filtered scaler, loaded from the program folder by its full path; without it,
// scaling falls back to the nearest-neighbour stretch.
#include "platform/mtgdi/Bitmap.h"

#include <memory>
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

    // Scaling that follows a source being filled from the top: Start, then Feed the
    // number of complete source rows as it grows (from the filling thread), then Finish.
    // A second thread scales the rows as soon as they are there.
    class Stream;
    std::unique_ptr<Stream> StartStream(const MTBitmap* source, int width, int height, int quality);

private:
    void* library_ = nullptr;
    MTBitmap* (*scale_)(const MTBitmap*, int32_t, int32_t, int32_t) = nullptr; // Resize32ScaleFn
};

class TResize::Stream {
public:
    virtual ~Stream() = default;
    virtual void Feed(int completeRows) = 0;
    // Waits for the last rows; the scaled bitmap, or null when it failed.
    virtual BitmapPtr Finish() = 0;
};

// The fallback: every target pixel takes the source pixel under its centre.
BitmapPtr StretchNearest(const MTBitmap* source, int width, int height);

} // namespace muralto
