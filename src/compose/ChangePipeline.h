#pragma once
// One wallpaper change: the chosen picture is loaded, shaped, decorated and written as the
// wallpaper bitmap, which is then handed to the desktop. The decorations and effects are
// reached through small interfaces; a part that is absent draws or runs nothing.
#include "MWGraphic.h"
#include "buffer/DataInf.h"

#include <array>
#include <string>

namespace muralto {

// A named list of decoration patterns (calendar, date, file name).
class TDecorationList {
public:
    virtual ~TDecorationList() = default;
    virtual int IndexOfName(const std::string& name) const = 0;
    virtual int Count() const = 0;
    virtual void DrawByName(const std::string& name, BitmapPtr& bitmap) = 0;
    virtual void DrawByIndex(int index, BitmapPtr& bitmap) = 0;
    // Only the file-name list uses it: the name to draw.
    virtual void SetFileName(const std::string& fileName) { (void)fileName; }
};

// The effect library and the effect patterns.
class TEffectRunner {
public:
    virtual ~TEffectRunner() = default;
    virtual void RunEffectByName(const std::string& name, BitmapPtr& bitmap) = 0;
    virtual int Count() const = 0;
    virtual void RunPatternByName(const std::string& name, BitmapPtr& bitmap) = 0;
    virtual void RunPattern(int index, BitmapPtr& bitmap) = 0;
};

enum TDecorationKind { dkFileName = 0, dkAnnoDomini = 1, dkCalender = 2 };

// Modes of a change: 0 set and play, 1 set without sound, -1 only write the bitmap.
enum TChangeMode { cmChange = 0, cmSilent = 1, cmRenderOnly = -1 };

class TChangePipeline {
public:
    // Where the finished wallpaper is written: "Wallpaper.bmp" in the program folder.
    static std::string WallpaperPath();

    // Makes the file the wallpaper. A file that is not registered is replaced by the next
    // one of the buffer; a picture that cannot be read is unregistered and the next file
    // is tried, always in the caller's mode.
    void MakeWallpaper(const std::string& fileName, int mode);
    // The timer's, tray's and command's change: never raises. Guarded, it does nothing
    // while a screen saver runs or a window is maximised, when the options say so.
    void ChangeWallpaper(bool guarded);

    // Builds the finished wallpaper bitmap of one picture with the given attributes (the
    // load and shaping steps, decorations and effects). False when the picture could not
    // be read; nothing is unregistered here.
    bool Compose(const std::string& fileName, TDataInf& data, BitmapPtr& image);
    void ApplyEffects(BitmapPtr& bitmap, const TDataInf& data);
    // Whether ApplyEffects would change anything for this file.
    bool EffectsWouldRun(const TDataInf& data) const;
    bool DecorationAvailable(TDecorationKind kind, const TDataInf& data) const;

    std::array<TDecorationList*, 3> Decorations{nullptr, nullptr, nullptr};
    TEffectRunner* Effects = nullptr;

private:
    void DrawDecoration(TDecorationKind kind, const TDataInf& data, BitmapPtr& image);
    void Publish(const MTBitmap* image, const TDataInf& data, int mode);
    TGraphicServer server_;
};

// 0 tile, 1 centre; a random show style draws its own placement.
int PlacementOf(int showStyle);
// The transparent colour by the file's TransPos: a corner pixel of the picture as it is
// now, or its TransparentColor.
TColor TransparentKey(const MTBitmap* image, const TDataInf& data);

// The pipeline of the run.
TChangePipeline& Pipeline();

} // namespace muralto
