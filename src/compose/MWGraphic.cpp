#include "MWGraphic.h"

#include "core/Errors.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <memory>

namespace muralto {

namespace {

int ReadBmp(const std::string& path, BitmapPtr& bitmap) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const FileError&) {
        return MT_ERR_IO;
    }
    MTBitmap* read = nullptr;
    const int rc =
        mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &read);
    if (rc == MT_OK)
        bitmap.reset(read);
    return rc;
}

} // namespace

const std::vector<TPictureFormat>& TGraphicServer::Formats() {
    static const std::vector<TPictureFormat> formats = {
        {"bmp", &ReadBmp},
    };
    return formats;
}

std::string TGraphicServer::FormatMask() {
    std::string mask;
    for (const TPictureFormat& format : Formats()) {
        if (!mask.empty())
            mask += ';';
        mask += std::string("*.") + format.extension;
    }
    return mask;
}

uint8_t TGraphicServer::LoadPicture(const std::string& fileName, BitmapPtr& bitmap) const {
    if (!FileExists(fileName))
        return lrMissing;
    const std::string extension = UpperAscii(ExtensionOf(fileName));
    for (const TPictureFormat& format : Formats()) {
        if (UpperAscii(format.extension) != extension)
            continue;
        try {
            BitmapPtr loaded;
            if (format.read(fileName, loaded) != MT_OK || !loaded)
                return lrUnreadable;
            bitmap = std::move(loaded);
            return lrLoaded;
        } catch (...) {
            return lrUnreadable;
        }
    }
    return lrUnreadable; // no reader for this extension
}

void TGraphicServer::ToBits24(BitmapPtr& bitmap) const {
    if (!bitmap || mtgdi_format(bitmap.get()) == MT_PF24)
        return;
    BitmapPtr converted(mtgdi_convert(bitmap.get(), MT_PF24));
    if (!converted)
        throw Exception("ビットマップを変換できません（メモリ不足）。");
    bitmap = std::move(converted);
}

// The operations below shape the picture for the desktop. Until resizing, placement,
// texture composition and colour adjustment are in, each leaves the picture as it is, so
// the wallpaper is the picture at its own size.
void TGraphicServer::ResizeForDesktop(BitmapPtr&, int, ScreenSize) const {}
void TGraphicServer::PlaceOnDesktop(BitmapPtr&, int, TColor) const {}
void TGraphicServer::ComposeOverTexture(BitmapPtr&, const MTBitmap*, int, int64_t) const {}
void TGraphicServer::ComposeOverColour(BitmapPtr&, int, TColor, int64_t) const {}
void TGraphicServer::AdjustForTaskBar(BitmapPtr&) const {}
void TGraphicServer::AdjustBrightnessContrast(BitmapPtr&, int, int) const {}

void TGraphicServer::FinishForDisplay(BitmapPtr& bitmap, bool) const {
    ToBits24(bitmap);
}

void SaveBitmapFile(const MTBitmap* bitmap, const std::string& path) {
    uint8_t* bytes = nullptr;
    size_t size = 0;
    const int rc = mtgdi_write_bmp(bitmap, &bytes, &size);
    if (rc != MT_OK)
        throw Exception(path + ": " + mtgdi_error_text(rc));
    std::unique_ptr<uint8_t, void (*)(void*)> owned(bytes, mtgdi_free_memory);
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes), size));
}

} // namespace muralto
