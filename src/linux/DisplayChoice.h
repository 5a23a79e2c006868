#pragma once

#include <QString>

// The environment's and the command line's word on which display to use.
struct DisplayEnvironment {
    QString display;             // DISPLAY
    QString waylandDisplay;      // WAYLAND_DISPLAY
    QString sessionType;         // XDG_SESSION_TYPE
    QString qpaPlatform;         // QT_QPA_PLATFORM
    QString displayOption;       // -display NAME on the command line: wins over DISPLAY
    bool waylandBackend = false; // the screen is read through the Wayland portal, not X11
};

struct DisplayChoice {
    QString error;              // non-empty: Kalvor cannot start, and this says why
    QString x11Display;         // the X display the window shows on (and X11 sampling reads)
    bool forceX11 = false;      // run Qt on X11 even where it would pick Wayland
    bool nativeWayland = false; // no X display: the window is a Wayland window
    QString note;               // to say once at start, or empty
};

// What this process's environment says, with the command line's -display NAME (or none).
DisplayEnvironment ProcessEnvironment(const QString &displayOption);

// A Wayland session: a Wayland display, or the session's type says so. The one test of it, for
// the choice of display and of backend alike.
bool InWaylandSession(const DisplayEnvironment &environment);

// An X display is used whenever there is one, XWayland included: there the window can stay on
// top and come back to its place. Without one, only the Wayland backend can go on, natively.
DisplayChoice ChooseDisplay(const DisplayEnvironment &environment);

// The name the channel of `kalvor --capture` goes by: the X display, or the Wayland one.
QString CaptureChannelName(const QString &x11Display, const QString &waylandDisplay);
