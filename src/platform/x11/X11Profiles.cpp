#include "platform/x11/X11Profiles.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <string>

namespace {

std::string PropertyName(std::size_t monitor) {
    return monitor == 0 ? "_ICC_PROFILE" : "_ICC_PROFILE_" + std::to_string(monitor);
}

} // namespace

X11Profiles::X11Profiles(Display *display, Window root) : display_(display), root_(root) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, root_, &attributes);
    // Added to what this connection already asks of the root (the key events are XInput's).
    XSelectInput(display_, root_, attributes.your_event_mask | PropertyChangeMask);
    int errors = 0;
    if (XRRQueryExtension(display_, &randrEvents_, &errors))
        XRRSelectInput(display_, root_,
                       RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask |
                           RROutputChangeNotifyMask);
    else
        randrEvents_ = -1;
}

void X11Profiles::ReadMonitors() {
    monitorsRead_ = true;
    monitors_.clear();
    int major = 0;
    int minor = 0;
    if (randrEvents_ >= 0 && XRRQueryVersion(display_, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        if (XRRMonitorInfo *list = XRRGetMonitors(display_, root_, True, &count)) {
            for (int i = 0; i < count; ++i)
                monitors_.push_back({list[i].x, list[i].y, list[i].width, list[i].height});
            XRRFreeMonitors(list);
        }
    }
    if (monitors_.empty()) { // one screen, one monitor
        const int screen = DefaultScreen(display_);
        monitors_.push_back(
            {0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)});
    }
    profiles_.assign(monitors_.size(), nullptr);
    profileRead_.assign(monitors_.size(), false);
    // Named once, so that the many property changes on the root cost no round trip each.
    std::vector<std::string> names;
    std::vector<char *> pointers;
    for (std::size_t i = 0; i < monitors_.size(); ++i)
        names.push_back(PropertyName(i));
    for (std::string &name : names)
        pointers.push_back(name.data());
    properties_.assign(monitors_.size(), None);
    XInternAtoms(display_, pointers.data(), static_cast<int>(pointers.size()), False,
                 properties_.data());
}

ProfileBytes X11Profiles::ReadProfile(std::size_t monitor) const {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char *data = nullptr;
    // The whole property, however long: the length is in 32-bit units.
    if (XGetWindowProperty(display_, root_, properties_[monitor], 0, 0x7FFFFFFF / 4, False,
                           AnyPropertyType, &type, &format, &count, &left, &data) != Success)
        return nullptr;
    ProfileBytes bytes;
    if (data && format == 8 && count > 0)
        bytes = std::make_shared<const std::vector<std::uint8_t>>(data, data + count);
    if (data)
        XFree(data);
    return bytes;
}

X11Profiles::Found X11Profiles::At(ScreenPoint point) {
    if (!monitorsRead_)
        ReadMonitors();
    std::size_t monitor = 0;
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        const ScreenRect &area = monitors_[i];
        if (point.x >= area.left && point.x < area.right() && point.y >= area.top &&
            point.y < area.bottom()) {
            monitor = i;
            break;
        }
    }
    if (!profileRead_[monitor]) {
        profiles_[monitor] = ReadProfile(monitor);
        profileRead_[monitor] = true;
    }
    return {static_cast<int>(monitor), profiles_[monitor]};
}

void X11Profiles::Notice(const XEvent &event) {
    if (event.type == PropertyNotify && event.xproperty.window == root_) {
        for (std::size_t i = 0; i < properties_.size(); ++i)
            if (properties_[i] == event.xproperty.atom)
                profileRead_[i] = false;
        return;
    }
    if (randrEvents_ >= 0 && event.type >= randrEvents_ &&
        event.type < randrEvents_ + RRNumberEvents)
        monitorsRead_ = false;
}
