#include "linux/DisplayChoice.h"

#include <QtGlobal>

DisplayEnvironment ProcessEnvironment(const QString &displayOption) {
    return {qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
            qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("QT_QPA_PLATFORM"),
            displayOption};
}

bool InWaylandSession(const DisplayEnvironment &environment) {
    return !environment.waylandDisplay.isEmpty() ||
           environment.sessionType.compare("wayland", Qt::CaseInsensitive) == 0;
}

DisplayChoice ChooseDisplay(const DisplayEnvironment &environment) {
    DisplayChoice choice;
    // A platform chosen by hand (offscreen, say) is respected.
    if (!environment.qpaPlatform.isEmpty() && !environment.qpaPlatform.startsWith("xcb")) {
        choice.nativeWayland = environment.qpaPlatform.startsWith("wayland");
        return choice;
    }
    const bool wayland = InWaylandSession(environment);
    choice.x11Display =
        environment.displayOption.isEmpty() ? environment.display : environment.displayOption;
    if (choice.x11Display.isEmpty()) {
        if (environment.waylandBackend && !environment.waylandDisplay.isEmpty()) {
            choice.nativeWayland = true;
            choice.note = QStringLiteral(
                "no XWayland here: the window runs as a Wayland window, which can neither stay "
                "above the others nor come back to its saved position");
            return choice;
        }
        choice.error = wayland ? QStringLiteral("no X display: this Wayland session has no "
                                                "XWayland (DISPLAY is not set)")
                               : QStringLiteral("no X display: DISPLAY is not set");
        return choice;
    }
    choice.forceX11 = true;
    if (wayland && !environment.waylandBackend)
        choice.note = QStringLiteral("this is a Wayland session: reading the screen through X11, "
                                     "Kalvor sees only X11 windows, and Space only while an X11 "
                                     "window has the focus");
    return choice;
}

QString CaptureChannelName(const QString &x11Display, const QString &waylandDisplay) {
    if (!x11Display.isEmpty())
        return x11Display;
    return waylandDisplay.isEmpty() ? QString() : QStringLiteral("wayland:") + waylandDisplay;
}
