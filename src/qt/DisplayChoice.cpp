#include "qt/DisplayChoice.h"

DisplayChoice ChooseDisplay(const DisplayEnvironment &environment) {
    DisplayChoice choice;
    // A platform chosen by hand (offscreen, say) is respected; sampling then has no screen.
    if (!environment.qpaPlatform.isEmpty() && !environment.qpaPlatform.startsWith("xcb"))
        return choice;
    const bool wayland = !environment.waylandDisplay.isEmpty() ||
                         environment.sessionType.compare("wayland", Qt::CaseInsensitive) == 0;
    choice.x11Display =
        environment.displayOption.isEmpty() ? environment.display : environment.displayOption;
    if (choice.x11Display.isEmpty()) {
        choice.error = wayland ? QStringLiteral("no X display: this Wayland session has no "
                                                "XWayland (DISPLAY is not set)")
                               : QStringLiteral("no X display: DISPLAY is not set");
        return choice;
    }
    choice.forceX11 = true;
    choice.waylandNote = wayland;
    return choice;
}

QString WaylandNote() {
    return QStringLiteral("this is a Wayland session: running on XWayland, Kalvor sees only X11 "
                          "windows, and Space only while an X11 window has the focus");
}
