#include "core/CmdParam.h"

#include "TestSupport.h"
#include "platform/Services.h"

#include <gtest/gtest.h>

namespace muralto {
namespace {

class DeskTopTest : public test::ProgramTest {
protected:
    FakeDesktop& Fake() { return static_cast<FakeDesktop&>(*Platform().desktop); }
};

TEST_F(DeskTopTest, TaskBarEdgeFromTheWorkArea) {
    const struct {
        ScreenRect workArea;
        int edge;
        int width, height;
    } cases[] = {
        {{0, 0, 1024, 740}, 3, 1022, 26},  // bottom bar of a 768-pixel screen
        {{60, 0, 1024, 768}, 1, 58, 766},  // left bar, 60 wide
        {{0, 30, 1024, 768}, 0, 1022, 28}, // top bar spanning the width
        {{0, 0, 990, 768}, 2, 32, 766},    // right bar
    };
    TDeskTop& desk = DeskTop();
    for (const auto& c : cases) {
        Fake().geometry = {{1024, 768}, c.workArea, 24};
        EXPECT_EQ(desk.TaskBar().BarEdge(), c.edge) << c.edge;
        EXPECT_EQ(desk.TaskBar().BarWidth(), c.width) << c.edge;
        EXPECT_EQ(desk.TaskBar().BarHeight(), c.height) << c.edge;
        EXPECT_TRUE(desk.TaskBar().BarTakesSpace());
    }
    Fake().geometry = {{1024, 768}, {0, 0, 1024, 768}, 24};
    EXPECT_FALSE(desk.TaskBar().BarTakesSpace());
}

TEST_F(DeskTopTest, DesktopSizeFollowsCalculation) {
    Fake().geometry = {{1024, 768}, {0, 0, 1024, 740}, 16};
    TDeskTop& desk = DeskTop();
    desk.SetCalculation(ctScreen);
    EXPECT_EQ(desk.DesktopSize(0), desk.DesktopSize(2));
    EXPECT_EQ(desk.DesktopSize(3), 768);
    desk.SetCalculation(ctWorkArea);
    EXPECT_EQ(desk.DesktopSize(0), desk.DesktopSize(1));
    EXPECT_EQ(desk.DesktopSize(3), 740);
    EXPECT_EQ(desk.DesktopSize(6), -1);
    EXPECT_EQ(desk.GetColorDepth(), 16);
    desk.SetCalculation(ctScreen);
}

TEST_F(DeskTopTest, SpiOptionDecidesWhatIsSetAndRecorded) {
    TDeskTop& desk = DeskTop();
    EXPECT_TRUE(desk.SetWallpaper("/w/a.bmp").ok);
    EXPECT_EQ(desk.GetWallpaper(), "/w/a.bmp");
    EXPECT_EQ(Fake().setCalls.size(), 1u);

    ParamOption().AddParam("/SPI");
    ParamOption().AddParam("2");
    EXPECT_TRUE(desk.SetWallpaper("/w/b.bmp").ok);
    EXPECT_EQ(desk.GetWallpaper(), "/w/a.bmp"); // "/SPI" never records the path
    EXPECT_EQ(Fake().setCalls.size(), 2u);

    ParamOption().Clear();
    ParamOption().AddParam("/SPI");
    ParamOption().AddParam("7");
    EXPECT_TRUE(desk.SetWallpaper("/w/c.bmp").ok);
    EXPECT_EQ(Fake().setCalls.size(), 2u); // outside 1..3: nothing at all

    ParamOption().Clear();
    Fake().result = SetResult::Failed("the desktop said no");
    const SetResult failed = desk.SetWallpaper("/w/d.bmp");
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.reason, "the desktop said no");
}

TEST_F(DeskTopTest, BackendChosenFromTheEnvironment) {
    const struct {
        const char* current;
        const char* session;
        const char* wayland;
        const char* display;
        const char* chosen;
    } cases[] = {
        {"ubuntu:GNOME", "", "", ":0", "gnome"},
        {"KDE", "", "wayland-0", "", "kde"},
        {"XFCE", "", "", ":0", "xfce"},
        {"X-Cinnamon", "", "", ":0", "cinnamon"},
        {"", "mate", "", ":0", "mate"},
        {"LXQt", "", "", ":0", "lxqt"},
        {"sway", "", "wayland-1", "", "sway"},
        {"", "", "wayland-1", "", "sway"},
        {"", "", "", ":5", "x11"},
        {"", "", "", "", "none"},
    };
    unsetenv("MURALTO_DESKTOP");
    for (const auto& c : cases) {
        setenv("XDG_CURRENT_DESKTOP", c.current, 1);
        setenv("DESKTOP_SESSION", c.session, 1);
        setenv("WAYLAND_DISPLAY", c.wayland, 1);
        setenv("DISPLAY", c.display, 1);
        EXPECT_EQ(ChooseDesktopName(), c.chosen) << c.current << "/" << c.session;
    }
    setenv("MURALTO_DESKTOP", "kde", 1);
    EXPECT_EQ(ChooseDesktopName(), "kde");
    EXPECT_EQ(MakeDesktopBackend("KDE")->Name(), "kde");
    EXPECT_EQ(MakeDesktopBackend("bogus")->Name(), "none");
    for (const char* v : {"MURALTO_DESKTOP", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                          "WAYLAND_DISPLAY", "DISPLAY"})
        unsetenv(v);
}

} // namespace
} // namespace muralto
