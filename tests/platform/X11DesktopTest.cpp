// The bare-X11 back-end against a real X server (Xvfb), and the busy tests with a real
// window manager.
#include "platform/X11Desktop.h"

#include "TestSupport.h"
#include "compose/MWGraphic.h"
#include "core/CmdParam.h"
#include "platform/Files.h"
#include "platform/Services.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace muralto {
namespace {

// An Xvfb of its own for each test, on a free display number.
class XvfbTest : public test::ProgramTest {
protected:
    void SetUp() override {
        test::ProgramTest::SetUp();
        for (int n = 80 + getpid() % 400; n < 1000 && display_.empty(); n += 7) {
            if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
                continue;
            server_.start("Xvfb", {QString(":%1").arg(n), "-noreset", "-nolisten", "tcp", "-screen",
                                   "0", "640x480x24"});
            if (!server_.waitForStarted(5000))
                continue;
            const std::string name = ":" + std::to_string(n);
            QElapsedTimer timer;
            timer.start();
            while (timer.elapsed() < 10000 && server_.state() == QProcess::Running) {
                if (Display* d = XOpenDisplay(name.c_str())) {
                    XCloseDisplay(d);
                    display_ = name;
                    break;
                }
                QThread::msleep(50);
            }
        }
        ASSERT_FALSE(display_.empty()) << "no Xvfb could be started";
        setenv("DISPLAY", display_.c_str(), 1);
    }
    void TearDown() override {
        for (QProcess* p : {&windowManager_, &server_}) {
            p->terminate();
            p->waitForFinished(5000);
        }
        unsetenv("DISPLAY");
        test::ProgramTest::TearDown();
    }
    // The root window's pixel at (x, y) as 0xRRGGBB.
    uint32_t RootPixel(int x, int y) {
        Display* d = XOpenDisplay(display_.c_str());
        XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
        const uint32_t pixel = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF;
        XDestroyImage(image);
        XCloseDisplay(d);
        return pixel;
    }
    std::string Picture(const std::string& name, int w, int h, uint32_t seed) {
        BitmapPtr b(mtgdi_create(w, h, MT_PF24));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w * 3; ++x)
                mtgdi_scanline(b.get(), y)[x] = uint8_t(x * 7 + y * 13 + seed);
        SaveBitmapFile(b.get(), home / name);
        return home / name;
    }
    std::string display_;
    QProcess server_;
    QProcess windowManager_;
};

TEST_F(XvfbTest, RootWindowShowsEveryPixelOfThePicture) {
    const std::string path = Picture("a.bmp", 640, 480, 1);
    X11RootSetter setter;
    ASSERT_TRUE(setter.SetWallpaper(path).ok);
    Display* d = XOpenDisplay(display_.c_str());
    XImage* root = XGetImage(d, DefaultRootWindow(d), 0, 0, 640, 480, AllPlanes, ZPixmap);
    ASSERT_NE(root, nullptr);
    const std::string bytes = test::ReadFile(path);
    MTBitmap* raw = nullptr;
    ASSERT_EQ(mtgdi_read_bmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &raw),
              MT_OK);
    BitmapPtr picture(raw);
    int wrong = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            wrong += (uint32_t(XGetPixel(root, x, y)) & 0xFFFFFF) !=
                     mtgdi_get_pixel(picture.get(), x, y);
    XDestroyImage(root);
    XCloseDisplay(d);
    EXPECT_EQ(wrong, 0);
}

TEST_F(XvfbTest, EachChangeFreesThePixmapItReplaces) {
    const std::string first = Picture("a.bmp", 320, 240, 1);
    const std::string second = Picture("b.bmp", 320, 240, 99);
    X11RootSetter setter;
    ASSERT_TRUE(setter.SetWallpaper(first).ok);
    for (int i = 0; i < 100; ++i) {
        const uint32_t before = CurrentRootPixmap();
        ASSERT_TRUE(setter.SetWallpaper(i % 2 ? first : second).ok);
        const uint32_t now = CurrentRootPixmap();
        ASSERT_NE(now, 0u);
        ASSERT_NE(now, before);
        EXPECT_TRUE(PixmapExists(now));
        EXPECT_FALSE(PixmapExists(before)) << "change " << i << " leaked its pixmap";
    }
    // A smaller picture sits at the top-left; the rest of the screen is black.
    EXPECT_EQ(RootPixel(400, 300), 0u);
}

TEST_F(XvfbTest, PixmapOfAnotherProgramIsLeftAlone) {
    // Only one root property names it: it is not ours to free.
    Display* d = XOpenDisplay(display_.c_str());
    XSetCloseDownMode(d, RetainPermanent);
    const Pixmap foreign = XCreatePixmap(d, DefaultRootWindow(d), 8, 8, 24);
    const Atom rootId = XInternAtom(d, "_XROOTPMAP_ID", False);
    XChangeProperty(d, DefaultRootWindow(d), rootId, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&foreign), 1);
    XCloseDisplay(d);
    ASSERT_TRUE(X11RootSetter().SetWallpaper(Picture("a.bmp", 64, 64, 3)).ok);
    EXPECT_TRUE(PixmapExists(uint32_t(foreign)));
}

TEST_F(XvfbTest, SessionAnswersFromTheServer) {
    X11Session session;
    const DesktopGeometry g = session.Geometry();
    EXPECT_EQ(g.screen.width, 640);
    EXPECT_EQ(g.screen.height, 480);
    EXPECT_EQ(g.depth, 24);
    EXPECT_FALSE(session.ScreenSaverRunning());
    EXPECT_FALSE(session.MaximizedWindowExists());

    // A panel's strut shrinks the work area the window manager publishes.
    Display* d = XOpenDisplay(display_.c_str());
    const long area[4] = {0, 0, 640, 450};
    XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_WORKAREA", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(area), 4);
    XForceScreenSaver(d, ScreenSaverActive);
    XSync(d, False);
    EXPECT_EQ(session.Geometry().workArea.bottom, 450);
    EXPECT_TRUE(session.ScreenSaverRunning());
    XForceScreenSaver(d, ScreenSaverReset);
    XCloseDisplay(d);

    Platform().desktop = MakeDesktopBackend("x11");
    TDeskTop& desk = DeskTop();
    EXPECT_EQ(desk.TaskBar().BarEdge(), 3);
    EXPECT_TRUE(desk.TaskBar().BarTakesSpace());
    desk.SetCalculation(ctWorkArea);
    EXPECT_EQ(desk.DesktopSize(3), 450);
    desk.SetCalculation(ctScreen);
    EXPECT_EQ(desk.DesktopSize(3), 480);
}

TEST_F(XvfbTest, MaximisedWindowUnderARealWindowManager) {
    windowManager_.start("openbox", {"--sm-disable"});
    ASSERT_TRUE(windowManager_.waitForStarted(5000));
    Display* d = XOpenDisplay(display_.c_str());
    // Wait until the window manager has taken the screen.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        Atom type;
        int format;
        unsigned long count = 0, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(d, DefaultRootWindow(d),
                           XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &count, &after, &data);
        if (data)
            XFree(data);
        if (count)
            break;
        QThread::msleep(50);
    }
    X11Session session;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 100, 100, 0, 0, 0);
    XMapWindow(d, w);
    XSync(d, False);
    QThread::msleep(300);
    EXPECT_FALSE(session.MaximizedWindowExists());
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1; // add
    e.xclient.data.l[1] = long(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    e.xclient.data.l[2] = long(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
    XSync(d, False);
    bool maximised = false;
    timer.restart();
    while (!maximised && timer.elapsed() < 10000) {
        QThread::msleep(50);
        maximised = session.MaximizedWindowExists();
    }
    EXPECT_TRUE(maximised);
    XCloseDisplay(d);
}

} // namespace
} // namespace muralto
