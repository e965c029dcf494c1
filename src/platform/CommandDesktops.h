#pragma once
// Desktops that only offer a program to change the wallpaper: LXQt and LXDE (their file
// managers draw the desktop) and wlroots compositors such as sway (a background client).
#include "Desktop.h"

namespace muralto {

class PcmanfmSetter final : public WallpaperSetter {
public:
    // The program ("pcmanfm-qt" or "pcmanfm") and the settings file it keeps the
    // wallpaper in, relative to the user's configuration folder.
    PcmanfmSetter(std::string program, std::string settingsFile, std::string key);
    SetResult SetWallpaper(const std::string& bitmapPath) override;

private:
    std::string program_, settingsFile_, key_;
};

// Starts a new swaybg showing the picture centred and, once it runs, ends the one before
// it, so the background never falls back to grey and no old client is left behind.
class SwaybgSetter final : public WallpaperSetter {
public:
    SetResult SetWallpaper(const std::string& bitmapPath) override;
};

// The swaybg this program started last (0 when none); kept in the runtime folder.
long RunningSwaybg();

} // namespace muralto
