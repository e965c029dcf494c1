#pragma once
// The X11 session: screen, work area and busy tests from the X server, and the bare-X11
// wallpaper (a root-window pixmap published as _XROOTPMAP_ID and ESETROOT_PMAP_ID).
#include "Desktop.h"

#include <cstdint>
#include <string>
#include <vector>

namespace muralto {

class X11Session final : public DesktopSession {
public:
    DesktopGeometry Geometry() override;
    bool ScreenSaverRunning() override;
    bool MaximizedWindowExists() override;
};

class X11RootSetter final : public WallpaperSetter {
public:
    SetResult SetWallpaper(const std::string& bitmapPath) override;
};

// The root pixmap both properties name, 0 when they are missing or differ (for tests).
uint32_t CurrentRootPixmap();
// Whether a pixmap id is still a drawable of the server (for tests).
bool PixmapExists(uint32_t pixmap);

// Names of the connected monitors (XRandR outputs such as "eDP-1") and the number of
// workspaces; empty and 0 without an X server.
std::vector<std::string> X11OutputNames();
int X11WorkspaceCount();

// Whether the desktop's screen saver reports itself active over D-Bus (the freedesktop
// and GNOME interfaces); false when no such service answers.
bool DBusScreenSaverActive();

} // namespace muralto
