#pragma once
// Desktops that remember a wallpaper by its file name show their cached picture when the
// same name is set again. They are handed a fresh name for every change: a link to the
// composed file (or a copy where links cannot be made), of which the last two are kept.
#include <string>

namespace muralto {

// A new name for the file's present content, beside it: "Wallpaper-<n>.bmp".
std::string FreshWallpaperName(const std::string& path);
// Removes the older fresh names of this file, keeping `inUse` and the newest other one.
void PruneWallpaperNames(const std::string& path, const std::string& inUse);
// Drops a fresh name the desktop did not take.
void RemoveFreshName(const std::string& freshName);

} // namespace muralto
