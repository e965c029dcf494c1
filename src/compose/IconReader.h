#pragma once
// Icons and cursors (.ico, .cur): the largest, deepest image of the file, drawn on white
// where it is transparent.
#include "MWGraphic.h"

namespace muralto {

int ReadIcon(const std::string& path, const TLoadHint& hint, BitmapPtr& bitmap, std::string& why);
int DecodeIcon(const uint8_t* data, size_t size, BitmapPtr& bitmap, std::string& why);

} // namespace muralto
