#include "CmdParam.h"

#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/Text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace muralto {

TParamOption::TParamOption(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

TParamOption TParamOption::FromMain(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return TParamOption(std::move(arguments));
}

int TParamOption::IndexOfOption(const std::string& option) const {
    for (size_t i = 0; i < arguments_.size(); ++i)
        if (SameTextAscii(arguments_[i], option))
            return int(i);
    return -1;
}

bool TParamOption::HasOption(const std::string& option) const {
    return IndexOfOption(option) >= 0;
}

bool TParamOption::HasOption(const std::string& option, const std::string& alternative) const {
    return HasOption(option) || HasOption(alternative);
}

bool TParamOption::GetParamString(const std::string& option, std::string& out,
                                  const std::string& defaultValue) const {
    out = defaultValue;
    const int index = IndexOfOption(option);
    if (index < 0 || size_t(index) + 1 >= arguments_.size())
        return false;
    out = arguments_[size_t(index) + 1];
    return true;
}

bool TParamOption::GetParamInteger(const std::string& option, int& out, int defaultValue) const {
    out = defaultValue;
    std::string text;
    if (!GetParamString(option, text, ""))
        return false;
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX)
        return false;
    out = int(value);
    return true;
}

void TParamOption::AddParam(const std::string& argument) {
    arguments_.push_back(argument);
}

TParamOption& ParamOption() {
    static TParamOption options;
    return options;
}

// ---------------------------------------------------------------- TDeskTop

namespace {
const char* const kDesktopKey = "Control Panel\\desktop";
} // namespace

DesktopGeometry TDeskTop::Geometry() {
    return Platform().desktop->Geometry();
}

int TDeskTop::GetColorDepth() {
    return Geometry().depth;
}

std::string TDeskTop::GetWallpaper() {
    const auto value =
        SettingsRegistry().ReadValue(RegistryRoot::CurrentUser, kDesktopKey, "Wallpaper");
    return value && value->type == ValueType::String ? FromStored(value->data) : std::string();
}

int TDeskTop::DesktopSize(int kind) {
    const DesktopGeometry g = Geometry();
    switch (kind) {
    case 0:
        return calculation_ == ctScreen ? g.screen.width : g.workArea.Width();
    case 1:
        return g.workArea.Width();
    case 2:
        return g.screen.width;
    case 3:
        return calculation_ == ctScreen ? g.screen.height : g.workArea.Height();
    case 4:
        return g.workArea.Height();
    case 5:
        return g.screen.height;
    default:
        return -1;
    }
}

bool TDeskTop::DesktopBusy(int kind) {
    switch (kind) {
    case 0:
        return Platform().desktop->ScreenSaverRunning();
    case 1:
        return Platform().desktop->MaximizedWindowExists();
    default:
        return false;
    }
}

SetResult TDeskTop::SetWallpaper(const std::string& path) {
    if (ParamOption().HasOption("/SPI")) {
        int flags = 1;
        ParamOption().GetParamInteger("/SPI", flags, 1);
        // 1 stores the setting, 2 has the desktop redraw, 3 both: on these desktops one
        // act does both; any other value sets nothing.
        if (flags < 1 || flags > 3)
            return SetResult::Done();
        return Platform().desktop->SetWallpaper(path);
    }
    if (GetWallpaper() != path) {
        try {
            SettingsRegistry().WriteValue(RegistryRoot::CurrentUser, kDesktopKey, "Wallpaper",
                                          ValueType::String, path);
        } catch (const RegistryError&) {
            // Recording the path is a courtesy; the desktop is still set.
        }
    }
    return Platform().desktop->SetWallpaper(path);
}

TDeskTop& DeskTop() {
    static TDeskTop desktop;
    return desktop;
}

// ---------------------------------------------------------------- TTaskBar

ScreenRect TTaskBar::Rect() const {
    const DesktopGeometry g = desktop_.Geometry();
    const ScreenRect& w = g.workArea;
    const int width = g.screen.width, height = g.screen.height;
    if (w.top > 0)
        return {0, 0, width, w.top};
    if (w.bottom < height)
        return {0, w.bottom, width, height};
    if (w.left > 0)
        return {0, 0, w.left, height};
    if (w.right < width)
        return {w.right, 0, width, height};
    return {};
}

int TTaskBar::BarWidth() const {
    const ScreenRect r = Rect();
    return r.right - r.left - 2;
}

int TTaskBar::BarHeight() const {
    const ScreenRect r = Rect();
    return r.bottom - r.top - 2;
}

int TTaskBar::BarEdge() const {
    const ScreenRect r = Rect();
    const int half = desktop_.Geometry().screen.height / 2;
    if (r.left >= 1)
        return 2;
    if (r.top >= half)
        return 3;
    if (r.right - r.left < half)
        return 1;
    return 0;
}

bool TTaskBar::BarTakesSpace() const {
    const DesktopGeometry g = desktop_.Geometry();
    return g.workArea.Width() < g.screen.width || g.workArea.Height() < g.screen.height;
}

} // namespace muralto
