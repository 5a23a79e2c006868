#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "platform/posix/PosixFileStore.h"
#include "platform/x11/X11Screen.h"
#include "qt/CaptureService.h"
#include "qt/CommandLine.h"
#include "qt/CommandLineActions.h"
#include "qt/DisplayChoice.h"
#include "qt/FenwoMainWindow.h"
#include "qt/QtDesktop.h"
#include "qt/Say.h"
#include "qt/SettingsLocation.h"
#include "qt/TerminationSignals.h"
#ifdef KALVOR_WITH_WAYLAND
#include "qt/WaylandSession.h"
#endif

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

FenwoMainWindow *openWindow = nullptr;

// Qt ends the process with exit() when the X connection breaks; the settings are saved on the
// way out all the same (exit() leaves main's own objects standing).
void SaveOnExit() {
    if (openWindow)
        openWindow->SaveIfOpen();
}

// The screen is read through the desktop's portal in a Wayland session (XWayland sees only
// X11 windows there), through X11 elsewhere; KALVOR_BACKEND=x11 or wayland decides by hand.
bool UseWaylandBackend() {
#ifdef KALVOR_WITH_WAYLAND
    const QString forced = qEnvironmentVariable("KALVOR_BACKEND");
    if (forced == QLatin1String("wayland"))
        return true;
    return forced != QLatin1String("x11") && InWaylandSession();
#else
    return false;
#endif
}

std::unique_ptr<ScreenReader> OpenX11Screen(const DisplayChoice &display) {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto x11 = X11Screen::Open(display.x11Display.toStdString()))
            return x11;
    }
    Say("no X11 screen to read; colours cannot be sampled here");
    return std::make_unique<NullScreenReader>();
}

} // namespace

int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine command = ParseCommandLine(arguments);
    if (command.action == CommandLine::Help || command.action == CommandLine::Version ||
        command.action == CommandLine::Misuse) {
        std::fputs(qPrintable(command.message),
                   command.action == CommandLine::Misuse ? stderr : stdout);
        return command.action == CommandLine::Misuse ? 2 : 0;
    }

    const bool wayland = UseWaylandBackend();
    const QString x11Name =
        command.display.isEmpty() ? qEnvironmentVariable("DISPLAY") : command.display;
    const DisplayChoice display =
        ChooseDisplay({qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
                       qEnvironmentVariable("XDG_SESSION_TYPE"),
                       qEnvironmentVariable("QT_QPA_PLATFORM"), command.display, wayland});
    // Named by the display the window would choose, so that both sides meet on one name.
    const QString channel =
        CaptureChannelName(display.x11Display, qEnvironmentVariable("WAYLAND_DISPLAY"));
    if (command.action == CommandLine::Capture)
        return CaptureInRunningCopy(channel);

    PosixFileStore files;
    IniFileProfile profile(files);
    IniMod settings(profile);
    if (command.action == CommandLine::Print) {
        const QCoreApplication quiet(argc, argv);
        settings.SetIniPath(NativeSettingsFolder(ProgramFolder()) + "/Kalvor.ini");
#ifdef KALVOR_WITH_WAYLAND
        if (wayland)
            return PrintColourThroughPortal(command, settings);
#endif
        return PrintColourUnderPointer(command, x11Name, settings);
    }

    if (!display.error.isEmpty()) {
        Say(display.error.toStdString());
        return 1;
    }
    if (display.forceX11) {
        // Qt would end the process on a display it cannot reach: say why and leave instead.
        const std::string problem = X11Screen::ConnectionProblem(display.x11Display.toStdString());
        if (!problem.empty()) {
            Say(problem);
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else if (display.nativeWayland) {
        qputenv("QT_QPA_PLATFORM", "wayland");
    }
    if (!display.note.isEmpty())
        Say(display.note.toStdString());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvor"));
    std::unique_ptr<ScreenReader> screen;
#ifdef KALVOR_WITH_WAYLAND
    std::unique_ptr<WaylandSession> session;
    WaylandScreenReader *portal = nullptr;
    if (wayland) {
        session = std::make_unique<WaylandSession>();
        auto reader = std::make_unique<WaylandScreenReader>(session->ReaderOptions());
        portal = reader.get();
        screen = std::move(reader);
    }
#endif
    if (!screen)
        screen = OpenX11Screen(display);
    QtDesktop desktop(*screen, ProgramFolder());
    // The program owns the window's logic; the window shows it and hands it every event.
    FenwoMainWindow window;
    FenwoMain core(window, desktop, settings);
    window.Attach(core);
#ifdef KALVOR_WITH_WAYLAND
    if (portal) {
        session->Attach(window, *portal);
        portal->Start();
    }
#endif
    openWindow = &window;
    std::atexit(SaveOnExit);
    CloseOnTerminationSignals(window);
    std::unique_ptr<CaptureService> captures;
    std::function<void()> request = [&core] { core.RequestCapture(); };
#ifdef KALVOR_WITH_WAYLAND
    if (portal)
        request = [&session] { session->RequestCapture(); };
#endif
    if (!channel.isEmpty())
        captures = std::make_unique<CaptureService>(std::move(request), channel);
    window.show();
    const int status = QApplication::exec();
    openWindow = nullptr;
    return status;
}
