#include "platform/x11/X11Screen.h"

#include "core/sampling/KeyState.h"
#include "core/sampling/PixelDecode.h"
#include "platform/x11/X11Profiles.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <vector>

namespace {

// A 1x1 read outside the screen fails with BadMatch; Xlib's default handler would end the
// process, so errors on our connections are ignored and the read reports failure instead.
std::vector<Display *> ownDisplays;
XErrorHandler previousHandler = nullptr;

int ErrorHandler(Display *display, XErrorEvent *event) {
    if (std::find(ownDisplays.begin(), ownDisplays.end(), display) != ownDisplays.end())
        return 0;
    return previousHandler ? previousHandler(display, event) : 0;
}

void AdoptDisplay(Display *display) {
    if (ownDisplays.empty())
        previousHandler = XSetErrorHandler(ErrorHandler);
    ownDisplays.push_back(display);
}

void ReleaseDisplay(Display *display) {
    ownDisplays.erase(std::remove(ownDisplays.begin(), ownDisplays.end(), display),
                      ownDisplays.end());
    if (ownDisplays.empty())
        XSetErrorHandler(previousHandler);
}

bool KeyDownInKeymap(Display *display, KeyCode key) {
    char keys[32] = {};
    XQueryKeymap(display, keys);
    return (static_cast<unsigned char>(keys[key / 8]) >> (key % 8)) & 1u;
}

// XI 2.2 raw events reach us even while another client grabs the keyboard.
int SelectRawKeyEvents(Display *display, Window root) {
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError))
        return -1;
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 1))
        return -1;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(display, root, &mask, 1);
    XFlush(display);
    return opcode;
}

// A part of the root, its right and bottom edges excluded.
struct Area {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// RandR's first event number, or -1 when the server has no RandR. Monitors need RandR 1.5.
int FollowRandR(Display *display, Window root, bool &monitorsKnown) {
    int firstEvent = 0;
    int firstError = 0;
    int major = 0;
    int minor = 0;
    monitorsKnown = false;
    if (!XRRQueryExtension(display, &firstEvent, &firstError) ||
        !XRRQueryVersion(display, &major, &minor))
        return -1;
    monitorsKnown = major > 1 || (major == 1 && minor >= 5);
    XRRSelectInput(display, root, RRScreenChangeNotifyMask);
    return firstEvent;
}

} // namespace

struct X11Screen::Connection {
    Display *display = nullptr;
    Window root = 0;
    Colormap colormap = 0;
    int width = 0; // the root window's size now: what lies beyond it cannot be read
    int height = 0;
    int randrEvent = -1;
    bool monitorsKnown = false;
    std::vector<Area> monitors; // none known: the whole root counts as one
    bool trueColour = false;
    PixelMasks masks{};
    KeyCode space = 0;
    int xiOpcode = -1;
    KeyStateLatch spaceState;
    std::unique_ptr<X11Profiles> profiles;

    ~Connection() {
        if (display) {
            XCloseDisplay(display);
            ReleaseDisplay(display);
        }
    }

    // The root's size and the monitors on it, asked again when they changed.
    void ReadLayout() {
        Window r = 0;
        int x = 0;
        int y = 0;
        unsigned w = 0;
        unsigned h = 0;
        unsigned border = 0;
        unsigned depth = 0;
        if (XGetGeometry(display, root, &r, &x, &y, &w, &h, &border, &depth)) {
            width = static_cast<int>(w);
            height = static_cast<int>(h);
        }
        monitors.clear();
        if (!monitorsKnown)
            return;
        int count = 0;
        XRRMonitorInfo *info = XRRGetMonitors(display, root, True, &count);
        for (int i = 0; i < count; ++i)
            monitors.push_back(
                {info[i].x, info[i].y, info[i].x + info[i].width, info[i].y + info[i].height});
        if (info)
            XRRFreeMonitors(info);
    }

    bool OnAMonitor(int x, int y) const {
        return monitors.empty() || std::any_of(monitors.begin(), monitors.end(),
                                               [x, y](const Area &m) { return m.Contains(x, y); });
    }

    // Key presses for the latch; a screen that changed size (RandR) or monitors (announced as
    // a configure of the root) is read again.
    void DrainEvents() {
        bool changed = false;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            profiles->Notice(event);
            if (randrEvent >= 0 && event.type == randrEvent + RRScreenChangeNotify) {
                XRRUpdateConfiguration(&event);
                changed = true;
                continue;
            }
            if (event.type == ConfigureNotify) {
                changed = true;
                continue;
            }
            XGenericEventCookie &cookie = event.xcookie;
            if (cookie.type != GenericEvent || cookie.extension != xiOpcode ||
                !XGetEventData(display, &cookie))
                continue;
            const auto *raw = static_cast<const XIRawEvent *>(cookie.data);
            if (raw->detail == space) {
                if (cookie.evtype == XI_RawKeyPress)
                    spaceState.Press();
                else if (cookie.evtype == XI_RawKeyRelease)
                    spaceState.Release();
            }
            XFreeEventData(display, &cookie);
        }
        if (changed)
            ReadLayout();
    }
};

std::unique_ptr<X11Screen> X11Screen::Open(const std::string &displayName) {
    Display *display = XOpenDisplay(displayName.c_str());
    if (!display)
        return nullptr;
    AdoptDisplay(display);
    auto x = std::make_unique<Connection>();
    x->display = display;
    const int screen = DefaultScreen(display);
    x->root = RootWindow(display, screen);
    x->colormap = DefaultColormap(display, screen);
    x->randrEvent = FollowRandR(display, x->root, x->monitorsKnown);
    XSelectInput(display, x->root, StructureNotifyMask);
    x->ReadLayout();
    const Visual *visual = DefaultVisual(display, screen);
    // Only TrueColor pixels hold intensities; DirectColor ones index a colour map per
    // channel, so they are looked up like those of the other classes.
    x->trueColour = visual->c_class == TrueColor;
    x->masks = {static_cast<std::uint32_t>(visual->red_mask),
                static_cast<std::uint32_t>(visual->green_mask),
                static_cast<std::uint32_t>(visual->blue_mask)};
    x->space = XKeysymToKeycode(display, XK_space);
    x->xiOpcode = SelectRawKeyEvents(display, x->root);
    x->profiles = std::make_unique<X11Profiles>(display, x->root);
    if (x->space != 0)
        x->spaceState.SetDown(KeyDownInKeymap(display, x->space));
    return std::unique_ptr<X11Screen>(new X11Screen(std::move(x)));
}

std::string X11Screen::ConnectionProblem(const std::string &displayName) {
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(displayName.c_str(), &screen);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    const std::string quoted = '"' + displayName + '"';
    switch (error) {
    case 0:
        return {};
    case XCB_CONN_CLOSED_PARSE_ERR:
        return "cannot use X display " + quoted + ": the name is not a display";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return "cannot use X display " + quoted + ": it has no such screen";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return "cannot connect to X display " + quoted + ": out of memory";
    default:
        return "cannot connect to X display " + quoted +
               ": no X server answers there, or it refused the connection";
    }
}

X11Screen::X11Screen(std::unique_ptr<Connection> connection) : x_(std::move(connection)) {}

X11Screen::~X11Screen() = default;

bool X11Screen::SeesEveryPress() const {
    return x_->xiOpcode >= 0;
}

std::uintptr_t X11Screen::GetDesktopWindow() {
    return x_->root;
}

std::optional<ScreenPoint> X11Screen::GetCursorPos() {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    if (!XQueryPointer(x_->display, x_->root, &root, &child, &rootX, &rootY, &windowX, &windowY,
                       &buttons))
        return std::nullopt; // the pointer is on another X screen
    return ScreenPoint{rootX, rootY};
}

ColourValue X11Screen::GetPixel(std::uintptr_t desktop, ScreenPoint at) {
    return ReadSquare(desktop, at, 0).Centre();
}

// One image request for the part of the square on the screen; the rest stays unread, and so
// does every pixel on no monitor.
PixelSquare X11Screen::ReadSquare(std::uintptr_t desktop, ScreenPoint centre, int reach) {
    x_->DrainEvents();
    PixelSquare square = UnreadSquare(centre, reach);
    const X11Profiles::Found profile = x_->profiles->At(centre);
    square.monitor = profile.monitor;
    square.profile = profile.profile;
    Area area;
    XImage *image = nullptr;
    for (int attempt = 0; attempt < 2 && !image; ++attempt) {
        if (attempt > 0)
            x_->ReadLayout(); // it shrank since the last event
        // The protocol carries 16-bit coordinates: a larger one would wrap onto another pixel.
        area = {std::max(centre.x - reach, 0), std::max(centre.y - reach, 0),
                std::min({centre.x + reach + 1, x_->width, 32768}),
                std::min({centre.y + reach + 1, x_->height, 32768})};
        if (area.left >= area.right || area.top >= area.bottom)
            return square;
        image = XGetImage(x_->display, static_cast<Drawable>(desktop), area.left, area.top,
                          static_cast<unsigned>(area.right - area.left),
                          static_cast<unsigned>(area.bottom - area.top), AllPlanes, ZPixmap);
    }
    if (!image)
        return square;
    const auto slot = [&](int x, int y) -> ColourValue & {
        return square.pixels[static_cast<std::size_t>((y - centre.y + reach) * square.Side() + x -
                                                      centre.x + reach)];
    };
    const PixelDecoder decoder(x_->masks);
    std::vector<XColor> looked; // pixels of a visual that indexes a colour map
    std::vector<ColourValue *> lookedSlots;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            if (!x_->OnAMonitor(x, y))
                continue;
            const unsigned long pixel = XGetPixel(image, x - area.left, y - area.top);
            if (x_->trueColour) {
                slot(x, y) = decoder.Decode(static_cast<std::uint32_t>(pixel));
            } else {
                looked.push_back(XColor{pixel, 0, 0, 0, 0, 0});
                lookedSlots.push_back(&slot(x, y));
            }
        }
    XDestroyImage(image);
    if (looked.empty())
        return square;
    XQueryColors(x_->display, x_->colormap, looked.data(), static_cast<int>(looked.size()));
    for (std::size_t i = 0; i < looked.size(); ++i)
        *lookedSlots[i] = RGB(looked[i].red >> 8u, looked[i].green >> 8u, looked[i].blue >> 8u);
    return square;
}

std::uint16_t X11Screen::GetAsyncKeyState(int virtualKey) {
    if (virtualKey != VK_SPACE || x_->space == 0)
        return 0;
    if (x_->xiOpcode < 0)
        return KeyDownInKeymap(x_->display, x_->space) ? KeyDownNow : 0;
    x_->DrainEvents();
    return x_->spaceState.Query();
}
