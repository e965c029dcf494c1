#pragma once
// The picture service: turns picture files into bitmaps, scales and places them on the
// desktop, composes them over a texture or a colour, and finishes the wallpaper bitmap.
// Stateless; one is made for each job.
#include "platform/Desktop.h"
#include "platform/mtgdi/Bitmap.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace muralto {

enum TLoadResult : uint8_t { lrLoaded = 0, lrMissing = 1, lrUnreadable = 2 };

// A colour as the design keeps them: red in the low byte, then green, then blue.
using TColor = uint32_t;
constexpr TColor RgbToColor(uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}
// The desktop colour where a file names no background colour.
constexpr TColor kDesktopColour = 0x00A56E3A;

// What a reader is told about the job: the size the picture will be shrunk into, when
// nothing needs it larger before (a reader may then decode smaller, never below it).
struct TLoadHint {
    int fitWidth = 0, fitHeight = 0;
    // The size the picture of a given size will be scaled to, when the reader may scale
    // it while decoding (false: it will not be scaled).
    std::function<bool(int width, int height, int& toWidth, int& toHeight)> fit;
    int quality = 1;
};

// One row of the picture format registry.
struct TPictureFormat {
    std::string extension; // lower case, without the dot
    // Returns an mtgdi result code and, on failure, may say why.
    int (*read)(const std::string& path, const TLoadHint& hint, BitmapPtr& bitmap,
                std::string& why);
};

class TGraphicServer {
public:
    // 0 loaded, 1 the file does not exist (or no name), 2 reading it failed. Never raises.
    uint8_t LoadPicture(const std::string& fileName, BitmapPtr& bitmap,
                        const TLoadHint& hint = {}) const;
    // Why the last LoadPicture of this server answered 2.
    const std::string& LastError() const { return lastError_; }
    // The pixel format of the wallpaper path; indexed pictures lose their table.
    void ToBits24(BitmapPtr& bitmap) const;

    void ResizeForDesktop(BitmapPtr& bitmap, int resizeStyle) const;
    void ScaleExact(BitmapPtr& bitmap, int width, int height, int quality) const;
    void ScaleKeepAspect(BitmapPtr& bitmap, int width, int height, int quality) const;
    // The size ScaleKeepAspect gives (never below 1 x 1); the input size when unchanged.
    static void KeepAspectSize(int bw, int bh, int width, int height, int& outW, int& outH);
    void TileToDesktop(BitmapPtr& bitmap) const;
    void CentreOnDesktop(BitmapPtr& bitmap, const MTBitmap* texture, TColor colour) const;
    void PlaceOnDesktop(BitmapPtr& bitmap, int placement, TColor background) const;
    void ComposeOverTexture(BitmapPtr& bitmap, const MTBitmap* texture, int placement,
                            int64_t transparentKey) const;
    void ComposeOverColour(BitmapPtr& bitmap, int placement, TColor background,
                           int64_t transparentKey) const;
    void AdjustForTaskBar(BitmapPtr& bitmap) const;
    // Crops to the screen, and reduces to 236 colours unless keepColours (or when the
    // display has 8 bits or fewer).
    void FinishForDisplay(BitmapPtr& bitmap, bool keepColours) const;

    // The picture format registry: the formats read directly, then those registered by
    // picture-loader plug-ins.
    static const std::vector<TPictureFormat>& Formats();
    // Adds a format (an extension already there keeps its reader); for the plug-in host.
    static void RegisterPictureFormat(const std::string& extension, const TPictureFormat& format);
    // Removes the formats of the plug-ins again.
    static void UnregisterPluginFormats();
    // "*.bmp;..." for the buffers' masks.
    static std::string FormatMask();

private:
    mutable std::string lastError_;
};

// Brightness and contrast (each -100..100) on every red, green and blue byte; the bitmap
// becomes 32 bits per pixel unless both are 0.
void AdjustBrightnessContrast(BitmapPtr& bitmap, int contrast, int brightness);

// A new bitmap of one colour.
BitmapPtr SolidBitmap(int width, int height, int format, TColor colour);
// A copy in another format; raises when there is no memory for it.
BitmapPtr Converted(const MTBitmap* bitmap, int format);
// Makes the bitmap that format in place; nothing for none or one already in it.
void ConvertTo(BitmapPtr& bitmap, int format);
// Copies source onto target at (x, y), clipped; both of the same 24- or 32-bit format.
void DrawBitmap(MTBitmap* target, const MTBitmap* source, int x, int y);
void FillRect(MTBitmap* target, int left, int top, int right, int bottom, TColor colour);

// A bitmap file written whole: to a temporary name, then renamed into place.
void SaveBitmapFile(const MTBitmap* bitmap, const std::string& path);
// The same picture as a PNG file, for looking at.
void SavePngFile(const MTBitmap* bitmap, const std::string& path);

} // namespace muralto
