#pragma once

#include <QString>

// The environment's and the command line's word on which display to use.
struct DisplayEnvironment {
    QString display;        // DISPLAY
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString sessionType;    // XDG_SESSION_TYPE
    QString qpaPlatform;    // QT_QPA_PLATFORM
    QString displayOption;  // -display NAME on the command line: wins over DISPLAY
};

struct DisplayChoice {
    QString error;         // non-empty: Kalvor cannot start, and this says why
    QString x11Display;    // the X display both the window and the sampling use
    bool forceX11 = false; // run Qt on X11 even where it would pick Wayland
    bool waylandNote = false;
};

// Kalvor reads the screen through X11; under Wayland it runs on XWayland.
DisplayChoice ChooseDisplay(const DisplayEnvironment &environment);

// What to say, once, in a Wayland session.
QString WaylandNote();
