#pragma once

#include "core/colour/ProfileConversion.h"
#include "core/window/ScreenGeometry.h"

#include <X11/Xlib.h>

#include <string>
#include <vector>

// The monitors' colour profiles as X11 clients publish them on the root window: the raw ICC
// bytes of the first monitor in "_ICC_PROFILE", of the further ones in "_ICC_PROFILE_1",
// "_ICC_PROFILE_2", ... in RandR's order of monitors (Xinerama's, where RandR emulates it). A
// monitor without a property has none. Read when first asked and again after the root says a
// property or the monitors changed.
class X11Profiles {
  public:
    // Asks the server to tell the connection of property and monitor changes on the root.
    X11Profiles(Display *display, Window root);

    struct Found {
        int monitor = 0; // in RandR's order; 0 off every monitor
        ProfileBytes profile;
    };
    Found At(ScreenPoint point);

    // An event the connection received: a change of a profile or of the monitors makes the
    // next At read them again.
    void Notice(const XEvent &event);

  private:
    void ReadMonitors();
    ProfileBytes ReadProfile(std::size_t monitor) const;

    Display *display_;
    Window root_;
    int randrEvents_ = -1; // the first event number of RandR; -1 without it
    bool monitorsRead_ = false;
    std::vector<ScreenRect> monitors_;
    std::vector<ProfileBytes> profiles_; // by monitor; read when first asked
    std::vector<bool> profileRead_;
    std::vector<Atom> properties_; // by monitor: its profile's property
};
