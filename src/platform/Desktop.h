#pragma once
// The desktop the wallpaper is handed to. Each kind of desktop is one back-end; "none"
// writes the file only.
#include <memory>
#include <string>
#include <vector>

namespace muralto {

struct ScreenSize {
    int width = 0;
    int height = 0;
};

class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;
    virtual std::string Name() const = 0;
    // Makes the bitmap file the wallpaper; flags as the design's update flags (1 store the
    // setting, 2 have the running desktop redraw). False when the desktop refused.
    virtual bool SetWallpaper(const std::string& bitmapPath, int flags) = 0;
    virtual bool ScreenSaverRunning() = 0;
    virtual bool MaximizedWindowExists() = 0;
    virtual ScreenSize Screen() = 0;
};

class NoDesktop final : public DesktopBackend {
public:
    std::string Name() const override { return "none"; }
    bool SetWallpaper(const std::string&, int) override { return true; }
    bool ScreenSaverRunning() override { return false; }
    bool MaximizedWindowExists() override { return false; }
    ScreenSize Screen() override { return {}; }
};

// For tests: remembers what it was asked and answers what it is told.
class FakeDesktop final : public DesktopBackend {
public:
    std::string Name() const override { return "fake"; }
    bool SetWallpaper(const std::string& path, int flags) override {
        setCalls.push_back({path, flags});
        return true;
    }
    bool ScreenSaverRunning() override { return screenSaver; }
    bool MaximizedWindowExists() override { return maximized; }
    ScreenSize Screen() override { return screen; }

    struct Call {
        std::string path;
        int flags;
    };
    std::vector<Call> setCalls;
    bool screenSaver = false;
    bool maximized = false;
    ScreenSize screen{1024, 768};
};

// The back-end for this session: MURALTO_DESKTOP names one, otherwise the running desktop
// decides. Unknown names fall back to "none".
std::unique_ptr<DesktopBackend> ChooseDesktopBackend();

} // namespace muralto
