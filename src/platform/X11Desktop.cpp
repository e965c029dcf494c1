#include "X11Desktop.h"

#include "Files.h"
#include "Paths.h"
#include "mtgdi/Bitmap.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace muralto {

namespace {

// An open display that closes itself; null when there is no X server to talk to.
struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A busy server can turn a connection away for a moment; a few tries keep a change from
// losing the screen's size to that.
DisplayPtr OpenDisplay() {
    if (Environment("DISPLAY").empty())
        return nullptr;
    for (int attempt = 0;; ++attempt) {
        if (Display* d = XOpenDisplay(nullptr))
            return DisplayPtr(d);
        if (attempt == 4)
            return nullptr;
        usleep(50000);
    }
}

// X errors are answers here (a pixmap that is gone), not reasons to end the program.
int lastXError = 0;
int RecordError(Display*, XErrorEvent* e) {
    lastXError = e->error_code;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* d) : display_(d), previous_(XSetErrorHandler(RecordError)) {
        lastXError = 0;
    }
    ~ErrorTrap() { XSetErrorHandler(previous_); }
    bool Failed() {
        XSync(display_, False);
        return lastXError != 0;
    }

private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*);
};

// A window property as a list of 32-bit items (CARDINAL, WINDOW, ATOM, PIXMAP).
std::vector<unsigned long> Property(Display* d, Window w, const char* name, Atom type) {
    std::vector<unsigned long> items;
    Atom actualType;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    const Atom atom = XInternAtom(d, name, True);
    if (atom == None)
        return items;
    if (XGetWindowProperty(d, w, atom, 0, 1 << 20, False, type, &actualType, &format, &count,
                           &after, &data) == Success &&
        data && format == 32) {
        const auto* values = reinterpret_cast<unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

Pixmap RootPixmapOf(Display* d, const char* name) {
    const auto items = Property(d, DefaultRootWindow(d), name, XA_PIXMAP);
    return items.empty() ? None : Pixmap(items[0]);
}

// The pixmap both root properties name; None when they differ, since then it is not
// ours to free.
Pixmap RootPixmapOf(Display* d) {
    const Pixmap a = RootPixmapOf(d, "_XROOTPMAP_ID");
    return a != None && a == RootPixmapOf(d, "ESETROOT_PMAP_ID") ? a : None;
}

struct Monitor {
    int x, y, width, height;
};

// Monitors by XRandR, the primary first; the whole screen when XRandR cannot tell.
std::vector<Monitor> Monitors(Display* d) {
    std::vector<Monitor> monitors;
    int n = 0;
    if (XRRMonitorInfo* info = XRRGetMonitors(d, DefaultRootWindow(d), True, &n)) {
        for (int i = 0; i < n; ++i) {
            const Monitor m{info[i].x, info[i].y, info[i].width, info[i].height};
            if (info[i].primary)
                monitors.insert(monitors.begin(), m);
            else
                monitors.push_back(m);
        }
        XRRFreeMonitors(info);
    }
    if (monitors.empty())
        monitors.push_back(
            {0, 0, DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))});
    return monitors;
}

int ShiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// A screen-sized image whose pixels go to the server through shared memory when it
// offers that (no copy through the socket), else in the request stream.
class ServerImage {
public:
    ServerImage(Display* d, int width, int height) : display_(d) {
        const int screen = DefaultScreen(d);
        Visual* visual = DefaultVisual(d, screen);
        const unsigned depth = unsigned(DefaultDepth(d, screen));
        if (XShmQueryExtension(d))
            AttachShared(visual, depth, width, height);
        if (!image_) {
            image_ = XCreateImage(d, visual, depth, ZPixmap, 0, nullptr, unsigned(width),
                                  unsigned(height), 32, 0);
            if (image_)
                image_->data =
                    static_cast<char*>(std::calloc(size_t(image_->bytes_per_line), size_t(height)));
            if (image_ && !image_->data) {
                XDestroyImage(image_);
                image_ = nullptr;
            }
        }
    }
    ~ServerImage() {
        if (attached_)
            ReleaseShared();
        else if (image_)
            XDestroyImage(image_);
    }
    ServerImage(const ServerImage&) = delete;
    ServerImage& operator=(const ServerImage&) = delete;
    XImage* get() const { return image_; }
    void Put(Drawable target, GC gc) {
        const auto w = unsigned(image_->width), h = unsigned(image_->height);
        if (attached_)
            XShmPutImage(display_, target, gc, image_, 0, 0, 0, 0, w, h, False);
        else
            XPutImage(display_, target, gc, image_, 0, 0, 0, 0, w, h);
        XSync(display_, False);
    }

private:
    void AttachShared(Visual* visual, unsigned depth, int width, int height) {
        image_ = XShmCreateImage(display_, visual, depth, ZPixmap, nullptr, &shm_, unsigned(width),
                                 unsigned(height));
        if (!image_)
            return;
        shm_.shmid =
            shmget(IPC_PRIVATE, size_t(image_->bytes_per_line) * size_t(height), IPC_CREAT | 0600);
        void* address = shm_.shmid >= 0 ? shmat(shm_.shmid, nullptr, 0) : nullptr;
        if (address && address != reinterpret_cast<void*>(-1)) {
            shm_.shmaddr = image_->data = static_cast<char*>(address);
            shm_.readOnly = True;
            ErrorTrap trap(display_); // a server on another machine cannot attach it
            XShmAttach(display_, &shm_);
            attached_ = !trap.Failed();
        }
        if (shm_.shmid >= 0)
            shmctl(shm_.shmid, IPC_RMID, nullptr); // freed once both sides let go
        if (!attached_) {
            if (shm_.shmaddr)
                shmdt(shm_.shmaddr);
            image_->data = nullptr;
            XDestroyImage(image_);
            image_ = nullptr;
        }
    }
    void ReleaseShared() {
        XShmDetach(display_, &shm_);
        XSync(display_, False);
        shmdt(shm_.shmaddr);
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
        attached_ = false;
    }
    Display* display_;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool attached_ = false;
};

// The picture in the server's pixel format, drawn at the top-left of every monitor.
void DrawInto(Display* d, XImage* image, const MTBitmap* bitmap,
              const std::vector<Monitor>& monitors) {
    const int width = image->width, height = image->height;
    Visual* visual = DefaultVisual(d, DefaultScreen(d));
    // Black where no picture lands (a smaller picture, or a gap between monitors).
    bool covered = true;
    for (const Monitor& m : monitors)
        covered = covered && mtgdi_width(bitmap) >= m.width && mtgdi_height(bitmap) >= m.height;
    if (!covered || monitors.size() != 1 || monitors[0].width != width ||
        monitors[0].height != height)
        std::memset(image->data, 0, size_t(image->bytes_per_line) * size_t(height));
    const bool direct = image->bits_per_pixel == 32 && visual->red_mask == 0xFF0000 &&
                        visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF &&
                        image->byte_order == LSBFirst;
    const int rs = ShiftOf(visual->red_mask), gs = ShiftOf(visual->green_mask),
              bs = ShiftOf(visual->blue_mask);
    const int bw = mtgdi_width(bitmap), bh = mtgdi_height(bitmap);
    for (const Monitor& m : monitors) {
        const int w = std::min(bw, std::min(m.width, width - m.x));
        const int h = std::min(bh, std::min(m.height, height - m.y));
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = mtgdi_scanline_const(bitmap, y);
            if (direct) {
                auto* dst = reinterpret_cast<uint32_t*>(
                                image->data + size_t(m.y + y) * size_t(image->bytes_per_line)) +
                            m.x;
                for (int x = 0; x < w; ++x, src += 3)
                    dst[x] = uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16);
                continue;
            }
            for (int x = 0; x < w; ++x) {
                const unsigned long r = (src[3 * x + 2] * (visual->red_mask >> rs) / 255) << rs;
                const unsigned long g = (src[3 * x + 1] * (visual->green_mask >> gs) / 255) << gs;
                const unsigned long b = (src[3 * x] * (visual->blue_mask >> bs) / 255) << bs;
                XPutPixel(image, m.x + x, m.y + y, r | g | b);
            }
        }
    }
}

BitmapPtr ReadBitmap(const std::string& path, std::string& why) {
    BitmapPtr bitmap = ReadBitmapFile(path, why);
    if (bitmap && mtgdi_format(bitmap.get()) != MT_PF24)
        bitmap.reset(mtgdi_convert(bitmap.get(), MT_PF24));
    return bitmap;
}

} // namespace

// ---------------------------------------------------------------- session

DesktopGeometry X11Session::Geometry() {
    DesktopGeometry g;
    DisplayPtr d = OpenDisplay();
    if (!d)
        return g;
    const Monitor primary = Monitors(d.get())[0];
    g.screen = {primary.width, primary.height};
    g.depth = DefaultDepth(d.get(), DefaultScreen(d.get()));
    g.workArea = {primary.x, primary.y, primary.x + primary.width, primary.y + primary.height};
    const auto area = Property(d.get(), DefaultRootWindow(d.get()), "_NET_WORKAREA", XA_CARDINAL);
    if (area.size() >= 4) {
        // The work area of the first desktop, within the primary monitor.
        g.workArea.left = std::max(primary.x, int(area[0]));
        g.workArea.top = std::max(primary.y, int(area[1]));
        g.workArea.right = std::min(primary.x + primary.width, int(area[0] + area[2]));
        g.workArea.bottom = std::min(primary.y + primary.height, int(area[1] + area[3]));
    }
    // Coordinates relative to the primary monitor, as the placement code expects.
    g.workArea.left -= primary.x;
    g.workArea.right -= primary.x;
    g.workArea.top -= primary.y;
    g.workArea.bottom -= primary.y;
    return g;
}

bool X11Session::ScreenSaverRunning() {
    if (DisplayPtr d = OpenDisplay()) {
        int event, error;
        if (XScreenSaverQueryExtension(d.get(), &event, &error)) {
            XScreenSaverInfo* info = XScreenSaverAllocInfo();
            const bool on = info &&
                            XScreenSaverQueryInfo(d.get(), DefaultRootWindow(d.get()), info) &&
                            info->state == ScreenSaverOn;
            XFree(info);
            if (on)
                return true;
        }
    }
    return DBusScreenSaverActive();
}

bool X11Session::MaximizedWindowExists() {
    DisplayPtr d = OpenDisplay();
    if (!d)
        return false;
    const Atom vert = XInternAtom(d.get(), "_NET_WM_STATE_MAXIMIZED_VERT", True);
    const Atom horz = XInternAtom(d.get(), "_NET_WM_STATE_MAXIMIZED_HORZ", True);
    if (vert == None || horz == None)
        return false;
    ErrorTrap trap(d.get()); // a window may close while we look
    for (const unsigned long window :
         Property(d.get(), DefaultRootWindow(d.get()), "_NET_CLIENT_LIST", XA_WINDOW)) {
        const auto states = Property(d.get(), Window(window), "_NET_WM_STATE", XA_ATOM);
        const bool v = std::find(states.begin(), states.end(), vert) != states.end();
        const bool h = std::find(states.begin(), states.end(), horz) != states.end();
        if (v && h)
            return true;
    }
    return false;
}

std::vector<std::string> X11OutputNames() {
    std::vector<std::string> names;
    DisplayPtr d = OpenDisplay();
    if (!d)
        return names;
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(d.get(), DefaultRootWindow(d.get()));
    if (!res)
        return names;
    for (int i = 0; i < res->noutput; ++i) {
        if (XRROutputInfo* info = XRRGetOutputInfo(d.get(), res, res->outputs[i])) {
            if (info->connection == RR_Connected)
                names.emplace_back(info->name, size_t(info->nameLen));
            XRRFreeOutputInfo(info);
        }
    }
    XRRFreeScreenResources(res);
    return names;
}

int X11WorkspaceCount() {
    DisplayPtr d = OpenDisplay();
    if (!d)
        return 0;
    const auto n =
        Property(d.get(), DefaultRootWindow(d.get()), "_NET_NUMBER_OF_DESKTOPS", XA_CARDINAL);
    return n.empty() ? 1 : int(n[0]);
}

bool DBusScreenSaverActive() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const struct {
        const char* service;
        const char* path;
        const char* interface;
    } savers[] = {
        {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
         "org.freedesktop.ScreenSaver"},
        {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
    };
    for (const auto& s : savers) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(s.service, s.path, s.interface, "GetActive");
        QDBusReply<bool> reply = bus.call(call, QDBus::Block, 1000);
        if (reply.isValid() && reply.value())
            return true;
    }
    return false;
}

// ---------------------------------------------------------------- root pixmap

SetResult X11RootSetter::SetWallpaper(const std::string& bitmapPath) {
    std::string why;
    BitmapPtr bitmap = ReadBitmap(bitmapPath, why);
    if (!bitmap)
        return SetResult::Failed(why);
    DisplayPtr d = OpenDisplay();
    if (!d)
        return SetResult::Failed("no X display to set the root window of ($DISPLAY is \"" +
                                 Environment("DISPLAY") + "\")");
    Display* dpy = d.get();
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    const int width = DisplayWidth(dpy, screen), height = DisplayHeight(dpy, screen);

    ServerImage image(dpy, width, height);
    if (!image.get())
        return SetResult::Failed("out of memory for a " + std::to_string(width) + "x" +
                                 std::to_string(height) + " root image");
    DrawInto(dpy, image.get(), bitmap.get(), Monitors(dpy));
    // The pixmap outlives this connection; the one it replaces is freed below.
    const Pixmap previous = RootPixmapOf(dpy);
    XSetCloseDownMode(dpy, RetainPermanent);
    const Pixmap pixmap = XCreatePixmap(dpy, root, unsigned(width), unsigned(height),
                                        unsigned(DefaultDepth(dpy, screen)));
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    image.Put(pixmap, gc);
    XFreeGC(dpy, gc);

    const Atom rootId = XInternAtom(dpy, "_XROOTPMAP_ID", False);
    const Atom esetroot = XInternAtom(dpy, "ESETROOT_PMAP_ID", False);
    for (const Atom atom : {rootId, esetroot})
        XChangeProperty(dpy, root, atom, XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(dpy, root, pixmap);
    XClearWindow(dpy, root);
    XSync(dpy, False);
    if (previous != None && previous != pixmap) {
        ErrorTrap trap(dpy); // it may be gone already
        XKillClient(dpy, previous);
        trap.Failed();
    }
    if (RootPixmapOf(dpy) != pixmap)
        return SetResult::Failed("the root window properties do not name the new pixmap");
    return SetResult::Done();
}

uint32_t CurrentRootPixmap() {
    DisplayPtr d = OpenDisplay();
    return d ? uint32_t(RootPixmapOf(d.get())) : 0;
}

bool PixmapExists(uint32_t pixmap) {
    DisplayPtr d = OpenDisplay();
    if (!d || pixmap == 0)
        return false;
    ErrorTrap trap(d.get());
    Window root;
    int x, y;
    unsigned int w, h, border, depth;
    XGetGeometry(d.get(), pixmap, &root, &x, &y, &w, &h, &border, &depth);
    return !trap.Failed();
}

} // namespace muralto
