#pragma once
// The picture service: turns picture files into bitmaps and finishes the wallpaper bitmap.
// Stateless; one is made for each job.
#include "platform/Desktop.h"
#include "platform/mtgdi/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace muralto {

enum TLoadResult : uint8_t { lrLoaded = 0, lrMissing = 1, lrUnreadable = 2 };

// A colour as the design keeps them: red in the low byte, then green, then blue.
using TColor = uint32_t;
constexpr TColor RgbToColor(uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// One row of the picture format registry.
struct TPictureFormat {
    const char* extension; // lower case, without the dot
    // Returns an mtgdi result code; fills the bitmap on success.
    int (*read)(const std::string& path, BitmapPtr& bitmap);
};

class TGraphicServer {
public:
    // 0 loaded, 1 the file does not exist (or no name), 2 reading it failed. Never raises.
    uint8_t LoadPicture(const std::string& fileName, BitmapPtr& bitmap) const;
    // The pixel format of the wallpaper path; indexed pictures lose their table.
    void ToBits24(BitmapPtr& bitmap) const;

    void ResizeForDesktop(BitmapPtr& bitmap, int resizeStyle, ScreenSize desktop) const;
    void PlaceOnDesktop(BitmapPtr& bitmap, int placement, TColor background) const;
    void ComposeOverTexture(BitmapPtr& bitmap, const MTBitmap* texture, int placement,
                            int64_t transparentKey) const;
    void ComposeOverColour(BitmapPtr& bitmap, int placement, TColor background,
                           int64_t transparentKey) const;
    void AdjustForTaskBar(BitmapPtr& bitmap) const;
    void AdjustBrightnessContrast(BitmapPtr& bitmap, int contrast, int brightness) const;
    void FinishForDisplay(BitmapPtr& bitmap, bool keepColours) const;

    // The formats read directly, as a table of extension and reader.
    static const std::vector<TPictureFormat>& Formats();
    // "*.bmp;..." for the buffers' masks.
    static std::string FormatMask();
};

// A bitmap file written whole: to a temporary name, then renamed into place.
void SaveBitmapFile(const MTBitmap* bitmap, const std::string& path);

} // namespace muralto
