#pragma once
// The command-line option list. Options are whole arguments compared without regard to
// case; the value of an option is the argument after it; the first occurrence counts.
#include "platform/Desktop.h"

#include <string>
#include <vector>

namespace muralto {

class TParamOption {
public:
    TParamOption() = default;
    explicit TParamOption(std::vector<std::string> arguments);
    static TParamOption FromMain(int argc, char** argv);

    bool HasOption(const std::string& option) const;
    // Either of two spellings ("/E" and "+E").
    bool HasOption(const std::string& option, const std::string& alternative) const;
    bool GetParamString(const std::string& option, std::string& out,
                        const std::string& defaultValue) const;
    bool GetParamInteger(const std::string& option, int& out, int defaultValue) const;
    void AddParam(const std::string& argument);
    const std::vector<std::string>& Arguments() const { return arguments_; }
    void Clear() { arguments_.clear(); }

private:
    int IndexOfOption(const std::string& option) const;
    std::vector<std::string> arguments_;
};

// The one option list of the run.
TParamOption& ParamOption();

enum TCalcType { ctScreen = 0, ctWorkArea = 1 };

class TDeskTop;

// The task bar, as the strip of the screen outside the work area.
class TTaskBar {
public:
    explicit TTaskBar(TDeskTop& desktop) : desktop_(desktop) {}
    int BarWidth() const;
    int BarHeight() const;
    // 0 top, 1 left, 2 right, 3 bottom.
    int BarEdge() const;
    bool BarTakesSpace() const;
    // The bar's rectangle in screen coordinates (all zero when there is none).
    ScreenRect Rect() const;

private:
    TDeskTop& desktop_;
};

// The program's single view of the desktop: sizes, busy tests and the wallpaper setter.
class TDeskTop {
public:
    TDeskTop() : taskBar_(*this) {}
    TTaskBar& TaskBar() { return taskBar_; }
    int GetColorDepth();
    // The "Wallpaper" value of the user's "Control Panel\desktop" key.
    std::string GetWallpaper();
    // Kinds 0..5: desktop, work-area and screen width, then the same heights; -1 else.
    int DesktopSize(int kind);
    // 0: a screen saver runs; 1: a window is maximised; other kinds: false.
    bool DesktopBusy(int kind);
    // Makes the file the wallpaper as "/SPI" says (without it: record the path, then
    // set); the result says whether the desktop took it.
    SetResult SetWallpaper(const std::string& path);
    TCalcType Calculation() const { return calculation_; }
    void SetCalculation(TCalcType value) {
        if (value != calculation_)
            calculation_ = value;
    }
    DesktopGeometry Geometry();

private:
    TTaskBar taskBar_;
    TCalcType calculation_ = ctScreen;
};

// The desktop of the run.
TDeskTop& DeskTop();

} // namespace muralto
