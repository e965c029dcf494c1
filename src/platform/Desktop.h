#pragma once
// The desktop the wallpaper is handed to. A back-end is a wallpaper setter of one desktop
// family plus the session's answers about screen, work area and busy state; one is
// chosen per run from the environment (or MURALTO_DESKTOP).
#include <memory>
#include <string>
#include <vector>

namespace muralto {

struct ScreenSize {
    int width = 0;
    int height = 0;
};

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct DesktopGeometry {
    ScreenSize screen;   // the primary monitor; 0 x 0 when no display can be asked
    ScreenRect workArea; // the part not taken by panels; the screen when unknown
    int depth = 24;      // bits per pixel of the display
};

// The outcome of a wallpaper change: done, or the reason it was not.
struct SetResult {
    bool ok = true;
    std::string reason;
    static SetResult Done() { return {}; }
    static SetResult Failed(std::string why) { return {false, std::move(why)}; }
};

// Makes a composed bitmap file the wallpaper of one kind of desktop.
class WallpaperSetter {
public:
    virtual ~WallpaperSetter() = default;
    // Sets the file and reads the desktop's setting back; a mismatch is a failure.
    virtual SetResult SetWallpaper(const std::string& bitmapPath) = 0;
};

// What the running session can tell about itself.
class DesktopSession {
public:
    virtual ~DesktopSession() = default;
    virtual DesktopGeometry Geometry() = 0;
    virtual bool ScreenSaverRunning() = 0;
    virtual bool MaximizedWindowExists() = 0;
};

class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;
    virtual std::string Name() const = 0;
    virtual SetResult SetWallpaper(const std::string& bitmapPath) = 0;
    virtual bool ScreenSaverRunning() = 0;
    virtual bool MaximizedWindowExists() = 0;
    virtual DesktopGeometry Geometry() = 0;
    ScreenSize Screen() { return Geometry().screen; }
};

// A back-end made of a named setter and the session it runs in.
class ComposedDesktop final : public DesktopBackend {
public:
    ComposedDesktop(std::string name, std::unique_ptr<WallpaperSetter> setter,
                    std::unique_ptr<DesktopSession> session);
    std::string Name() const override { return name_; }
    SetResult SetWallpaper(const std::string& path) override;
    bool ScreenSaverRunning() override;
    bool MaximizedWindowExists() override;
    DesktopGeometry Geometry() override;

private:
    std::string name_;
    std::unique_ptr<WallpaperSetter> setter_;
    std::unique_ptr<DesktopSession> session_;
};

// A desktop of a given size that sets nothing: renders without a display, reproducibly.
class VirtualDesktop final : public DesktopBackend {
public:
    explicit VirtualDesktop(DesktopGeometry geometry) : geometry_(geometry) {}
    std::string Name() const override { return "virtual"; }
    SetResult SetWallpaper(const std::string&) override { return SetResult::Done(); }
    bool ScreenSaverRunning() override { return false; }
    bool MaximizedWindowExists() override { return false; }
    DesktopGeometry Geometry() override { return geometry_; }

private:
    DesktopGeometry geometry_;
};

// For tests: remembers what it was asked and answers what it is told.
class FakeDesktop final : public DesktopBackend {
public:
    std::string Name() const override { return "fake"; }
    SetResult SetWallpaper(const std::string& path) override {
        setCalls.push_back(path);
        return result;
    }
    bool ScreenSaverRunning() override { return screenSaver; }
    bool MaximizedWindowExists() override { return maximized; }
    DesktopGeometry Geometry() override { return geometry; }

    std::vector<std::string> setCalls;
    SetResult result;
    bool screenSaver = false;
    bool maximized = false;
    DesktopGeometry geometry{{1024, 768}, {0, 0, 1024, 740}, 24};
};

// The names MURALTO_DESKTOP accepts, in the order they are tried by the environment.
const std::vector<std::string>& DesktopNames();
// The back-end by name ("gnome", "kde", "xfce", "mate", "cinnamon", "lxqt", "lxde",
// "sway", "x11", "none"); an unknown name gives "none".
std::unique_ptr<DesktopBackend> MakeDesktopBackend(const std::string& name);
// The name the environment points at: MURALTO_DESKTOP, else XDG_CURRENT_DESKTOP and
// DESKTOP_SESSION, else "sway" under a wlroots compositor, "x11" with a display, "none".
std::string ChooseDesktopName();
std::unique_ptr<DesktopBackend> ChooseDesktopBackend();

} // namespace muralto
