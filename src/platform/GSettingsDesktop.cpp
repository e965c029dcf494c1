// Kept apart from Qt: GLib's headers and Qt's keywords do not mix.
#include "GSettingsDesktop.h"

#include "WallpaperCopies.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <cstring>
#include <memory>

namespace muralto {

namespace {

template <class T> struct GUnref {
    void operator()(T* p) const { g_object_unref(p); }
};

GSettingsSchema* LookUp(const char* schema) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    return source ? g_settings_schema_source_lookup(source, schema, TRUE) : nullptr;
}

std::string FileValue(const GSettingsKeys& keys, const std::string& path) {
    if (!keys.uri)
        return path;
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr); // percent-escaped
    std::string value = uri ? uri : "";
    g_free(uri);
    return value;
}

} // namespace

const GSettingsKeys& GnomeKeys() {
    static const GSettingsKeys keys{"org.gnome.desktop.background",
                                    "picture-uri",
                                    "picture-uri-dark",
                                    true,
                                    "picture-options",
                                    "centered"};
    return keys;
}

const GSettingsKeys& MateKeys() {
    static const GSettingsKeys keys{"org.mate.background", "picture-filename", nullptr, false,
                                    "picture-options",     "centered"};
    return keys;
}

const GSettingsKeys& CinnamonKeys() {
    static const GSettingsKeys keys{"org.cinnamon.desktop.background",
                                    "picture-uri",
                                    nullptr,
                                    true,
                                    "picture-options",
                                    "centered"};
    return keys;
}

std::string ReadGSetting(const char* schema, const char* key) {
    GSettingsSchema* found = LookUp(schema);
    if (!found)
        return {};
    const bool has = g_settings_schema_has_key(found, key);
    g_settings_schema_unref(found);
    if (!has)
        return {};
    std::unique_ptr<GSettings, GUnref<GSettings>> settings(g_settings_new(schema));
    gchar* value = g_settings_get_string(settings.get(), key);
    std::string text = value ? value : "";
    g_free(value);
    return text;
}

SetResult GSettingsSetter::SetWallpaper(const std::string& bitmapPath) {
    GSettingsSchema* schema = LookUp(keys_.schema);
    if (!schema)
        return SetResult::Failed(std::string("the settings schema ") + keys_.schema +
                                 " is not installed");
    const bool hasDark =
        keys_.darkPictureKey && g_settings_schema_has_key(schema, keys_.darkPictureKey);
    const bool hasOptions = g_settings_schema_has_key(schema, keys_.optionsKey);
    g_settings_schema_unref(schema);

    GSettingsBackend* backend = g_settings_backend_get_default();
    const std::string backendType = G_OBJECT_TYPE_NAME(backend);
    g_object_unref(backend);
    if (backendType == "GMemorySettingsBackend" || backendType == "GNullSettingsBackend")
        return SetResult::Failed("no settings service is reachable (GSettings would only keep "
                                 "the value in memory; is dconf running on the session bus?)");

    const std::string fresh = FreshWallpaperName(bitmapPath);
    const std::string value = FileValue(keys_, fresh);
    std::unique_ptr<GSettings, GUnref<GSettings>> settings(g_settings_new(keys_.schema));
    // Both pictures change together, so light and dark mode agree.
    g_settings_delay(settings.get());
    bool written = g_settings_set_string(settings.get(), keys_.pictureKey, value.c_str());
    if (hasDark)
        written =
            written && g_settings_set_string(settings.get(), keys_.darkPictureKey, value.c_str());
    if (hasOptions)
        written = written && g_settings_set_string(settings.get(), keys_.optionsKey, keys_.centred);
    g_settings_apply(settings.get());
    g_settings_sync();
    settings.reset();

    const std::string stored = ReadGSetting(keys_.schema, keys_.pictureKey);
    if (!written || stored != value) {
        RemoveFreshName(fresh);
        return SetResult::Failed(std::string(keys_.schema) + " " + keys_.pictureKey + " reads \"" +
                                 stored + "\" after writing \"" + value + "\"");
    }
    PruneWallpaperNames(bitmapPath, fresh);
    return SetResult::Done();
}

} // namespace muralto
