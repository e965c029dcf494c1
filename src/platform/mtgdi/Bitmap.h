#pragma once
// RAII ownership of mtgdi bitmaps for the program's own C++ code.
#include "mtgdi.h"

#include <memory>
#include <string>

namespace muralto {

struct BitmapDeleter {
    void operator()(MTBitmap* bitmap) const { mtgdi_free(bitmap); }
};
using BitmapPtr = std::unique_ptr<MTBitmap, BitmapDeleter>;

// Reads a whole file for a picture reader; false with the reason when it cannot.
bool ReadPictureBytes(const std::string& path, std::string& bytes, std::string& why);
// A bitmap (.bmp) file as a bitmap of its own format; null with the reason.
BitmapPtr ReadBitmapFile(const std::string& path, std::string& why);

} // namespace muralto
