#include "Desktop.h"

#include "CommandDesktops.h"
#include "DBusDesktops.h"
#include "GSettingsDesktop.h"
#include "Paths.h"
#include "Text.h"
#include "X11Desktop.h"

#include <QGuiApplication>
#include <QScreen>

namespace muralto {

namespace {

// No display at all: nothing to ask, nothing busy.
class NoSession final : public DesktopSession {
public:
    DesktopGeometry Geometry() override { return {}; }
    bool ScreenSaverRunning() override { return DBusScreenSaverActive(); }
    bool MaximizedWindowExists() override { return false; }
};

// A Wayland session: the compositor tells Qt its screens; it does not say whether a
// window is maximised, so that test answers false there.
class QtSession final : public DesktopSession {
public:
    DesktopGeometry Geometry() override {
        DesktopGeometry g;
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return g;
        const QRect all = screen->geometry(), free = screen->availableGeometry();
        g.screen = {all.width(), all.height()};
        g.workArea = {free.left() - all.left(), free.top() - all.top(),
                      free.right() + 1 - all.left(), free.bottom() + 1 - all.top()};
        g.depth = screen->depth();
        return g;
    }
    bool ScreenSaverRunning() override { return DBusScreenSaverActive(); }
    bool MaximizedWindowExists() override { return false; }
};

class NoSetter final : public WallpaperSetter {
public:
    SetResult SetWallpaper(const std::string&) override { return SetResult::Done(); }
};

std::unique_ptr<DesktopSession> SessionOfThisRun() {
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
                     QGuiApplication::platformName() != "offscreen";
    if (!Environment("WAYLAND_DISPLAY").empty() && gui)
        return std::make_unique<QtSession>();
    if (!Environment("DISPLAY").empty())
        return std::make_unique<X11Session>();
    return std::make_unique<NoSession>();
}

struct Family {
    const char* name;
    std::vector<const char*> desktopNames; // as XDG_CURRENT_DESKTOP or DESKTOP_SESSION say
    std::unique_ptr<WallpaperSetter> (*make)();
};

const std::vector<Family>& Families() {
    static const std::vector<Family> families = {
        {"gnome",
         {"GNOME", "GNOME-Classic", "GNOME-Flashback", "Unity", "Budgie", "Pantheon", "ubuntu"},
         [] { return std::unique_ptr<WallpaperSetter>(new GSettingsSetter(GnomeKeys())); }},
        {"kde",
         {"KDE", "plasma", "plasmawayland"},
         [] { return std::unique_ptr<WallpaperSetter>(new KdeSetter); }},
        {"xfce",
         {"XFCE", "xfce4"},
         [] { return std::unique_ptr<WallpaperSetter>(new XfceSetter); }},
        {"mate",
         {"MATE"},
         [] { return std::unique_ptr<WallpaperSetter>(new GSettingsSetter(MateKeys())); }},
        {"cinnamon",
         {"X-Cinnamon", "Cinnamon"},
         [] { return std::unique_ptr<WallpaperSetter>(new GSettingsSetter(CinnamonKeys())); }},
        {"lxqt",
         {"LXQt"},
         [] {
             return std::unique_ptr<WallpaperSetter>(new PcmanfmSetter(
                 "pcmanfm-qt", "pcmanfm-qt/lxqt/settings.conf", "Desktop/Wallpaper"));
         }},
        {"lxde",
         {"LXDE"},
         [] {
             return std::unique_ptr<WallpaperSetter>(
                 new PcmanfmSetter("pcmanfm", "pcmanfm/LXDE/desktop-items-0.conf", "*/wallpaper"));
         }},
        {"sway",
         {"sway", "Hyprland", "river", "wayfire", "labwc", "wlroots"},
         [] { return std::unique_ptr<WallpaperSetter>(new SwaybgSetter); }},
        {"x11", {}, [] { return std::unique_ptr<WallpaperSetter>(new X11RootSetter); }},
        {"none", {}, [] { return std::unique_ptr<WallpaperSetter>(new NoSetter); }},
    };
    return families;
}

} // namespace

ComposedDesktop::ComposedDesktop(std::string name, std::unique_ptr<WallpaperSetter> setter,
                                 std::unique_ptr<DesktopSession> session)
    : name_(std::move(name)), setter_(std::move(setter)), session_(std::move(session)) {}

SetResult ComposedDesktop::SetWallpaper(const std::string& path) {
    return setter_->SetWallpaper(path);
}
bool ComposedDesktop::ScreenSaverRunning() {
    return session_->ScreenSaverRunning();
}
bool ComposedDesktop::MaximizedWindowExists() {
    return session_->MaximizedWindowExists();
}
DesktopGeometry ComposedDesktop::Geometry() {
    DesktopGeometry g = session_->Geometry();
    if (g.workArea.Width() <= 0 || g.workArea.Height() <= 0)
        g.workArea = {0, 0, g.screen.width, g.screen.height};
    return g;
}

const std::vector<std::string>& DesktopNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const Family& f : Families())
            n.emplace_back(f.name);
        return n;
    }();
    return names;
}

std::unique_ptr<DesktopBackend> MakeDesktopBackend(const std::string& name) {
    for (const Family& f : Families())
        if (SameTextAscii(name, f.name))
            return std::make_unique<ComposedDesktop>(f.name, f.make(), SessionOfThisRun());
    return MakeDesktopBackend("none");
}

std::string ChooseDesktopName() {
    const std::string chosen = Environment("MURALTO_DESKTOP");
    if (!chosen.empty())
        return chosen;
    // XDG_CURRENT_DESKTOP may list several names ("ubuntu:GNOME"); the first known wins.
    for (const char* variable : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"}) {
        const std::string value = Environment(variable);
        size_t start = 0;
        while (start <= value.size()) {
            size_t end = value.find(':', start);
            if (end == std::string::npos)
                end = value.size();
            const std::string part = value.substr(start, end - start);
            for (const Family& f : Families())
                for (const char* n : f.desktopNames)
                    if (SameTextAscii(part, n))
                        return f.name;
            start = end + 1;
        }
    }
    if (!Environment("WAYLAND_DISPLAY").empty())
        return "sway";
    if (!Environment("DISPLAY").empty())
        return "x11";
    return "none";
}

std::unique_ptr<DesktopBackend> ChooseDesktopBackend() {
    return MakeDesktopBackend(ChooseDesktopName());
}

} // namespace muralto
