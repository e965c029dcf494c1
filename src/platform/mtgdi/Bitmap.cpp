#include "Bitmap.h"

#include "platform/Files.h"

namespace muralto {

bool ReadPictureBytes(const std::string& path, std::string& bytes, std::string& why) {
    try {
        bytes = ReadWholeFile(path);
        return true;
    } catch (const FileError& e) {
        why = e.what();
        return false;
    }
}

BitmapPtr ReadBitmapFile(const std::string& path, std::string& why) {
    std::string bytes;
    if (!ReadPictureBytes(path, bytes, why))
        return nullptr;
    MTBitmap* raw = nullptr;
    const int rc =
        mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &raw);
    if (rc != MT_OK)
        why = path + ": " + mtgdi_error_text(rc);
    return BitmapPtr(raw);
}

} // namespace muralto
