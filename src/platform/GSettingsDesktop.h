#pragma once
// Desktops of the GNOME family keep their wallpaper in GSettings (over dconf): GNOME,
// MATE and Cinnamon, each under its own schema and keys.
#include "Desktop.h"

namespace muralto {

struct GSettingsKeys {
    const char* schema;
    const char* pictureKey;     // the picture
    const char* darkPictureKey; // the picture in dark mode, when the schema has it
    bool uri;                   // the key takes a file URI rather than a path
    const char* optionsKey;     // how the picture is laid out
    const char* centred;        // the value that shows it unscaled
};

const GSettingsKeys& GnomeKeys();
const GSettingsKeys& MateKeys();
const GSettingsKeys& CinnamonKeys();

class GSettingsSetter final : public WallpaperSetter {
public:
    explicit GSettingsSetter(const GSettingsKeys& keys) : keys_(keys) {}
    SetResult SetWallpaper(const std::string& bitmapPath) override;

private:
    const GSettingsKeys& keys_;
};

// The value a key holds now (for read-back and tests); empty when it cannot be read.
std::string ReadGSetting(const char* schema, const char* key);

} // namespace muralto
