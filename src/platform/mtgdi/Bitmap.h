#pragma once
// RAII ownership of mtgdi bitmaps for the program's own C++ code.
#include "mtgdi.h"

#include <memory>

namespace muralto {

struct BitmapDeleter {
    void operator()(MTBitmap* bitmap) const { mtgdi_free(bitmap); }
};
using BitmapPtr = std::unique_ptr<MTBitmap, BitmapDeleter>;

} // namespace muralto
