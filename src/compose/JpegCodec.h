#pragma once
// JPEG through libjpeg: reading pictures (24-bit, upright by their EXIF orientation,
// decoded smaller when the job only needs it smaller) and the 236-colour reduction by a
// round trip through the codec.
#include "MWGraphic.h"

namespace muralto {

int ReadJpeg(const std::string& path, const TLoadHint& hint, BitmapPtr& bitmap, std::string& why);
int DecodeJpeg(const uint8_t* data, size_t size, const TLoadHint& hint, BitmapPtr& bitmap,
               std::string& why);
// Compresses at quality 100 and decodes with libjpeg's colour quantiser set to 236
// colours and its default dithering: an 8-bit bitmap with its colour table.
BitmapPtr ReduceTo236Colours(const MTBitmap* bitmap);
// The EXIF orientation (1..8) of a JPEG file's bytes; 1 when it has none.
int JpegOrientation(const uint8_t* data, size_t size);

} // namespace muralto
