#pragma once
// Desktops reached over D-Bus: KDE Plasma (its shell's scripting call) and XFCE (xfconf).
#include "Desktop.h"

namespace muralto {

class KdeSetter final : public WallpaperSetter {
public:
    SetResult SetWallpaper(const std::string& bitmapPath) override;
};

// The plasmashell script that sets every desktop to the file, centred, and prints what
// each desktop holds afterwards (for tests of its text).
std::string KdeScript(const std::string& fileUri);

class XfceSetter final : public WallpaperSetter {
public:
    SetResult SetWallpaper(const std::string& bitmapPath) override;
};

} // namespace muralto
