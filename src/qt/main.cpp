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
#include "qt/SettingsLocation.h"
#include "qt/StartupProbe.h"
#include "qt/TerminationSignals.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

void Say(const QString &text) {
    std::fprintf(stderr, "kalvor: %s\n", qPrintable(text));
}

// Built before main, so they outlive the save that exit() may still run.
PosixFileStore files;
IniFileProfile profile(files);
FenwoMainWindow *openWindow = nullptr;

// Qt ends the process with exit() when the X connection breaks; the settings are saved on the
// way out all the same.
void SaveOnExit() {
    if (openWindow)
        openWindow->SaveIfOpen();
}

std::unique_ptr<ScreenReader> OpenScreen(const DisplayChoice &display) {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto x11 = X11Screen::Open(display.x11Display.toStdString()))
            return x11;
    }
    Say(QStringLiteral("no X11 screen to read; colours cannot be sampled here"));
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

    const QString displayName =
        command.display.isEmpty() ? qEnvironmentVariable("DISPLAY") : command.display;
    if (command.action == CommandLine::Capture)
        return CaptureInRunningCopy(displayName);
    if (command.action == CommandLine::Print) {
        const QCoreApplication quiet(argc, argv);
        IniMod::UseProfile(profile);
        return PrintColourUnderPointer(command, displayName,
                                       SettingsFolder(QCoreApplication::applicationDirPath()));
    }

    const DisplayChoice display =
        ChooseDisplay({qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
                       qEnvironmentVariable("XDG_SESSION_TYPE"),
                       qEnvironmentVariable("QT_QPA_PLATFORM"), command.display});
    if (!display.error.isEmpty()) {
        Say(display.error);
        return 1;
    }
    if (display.forceX11) {
        // Qt would end the process on a display it cannot reach: say why and leave instead.
        const std::string problem = X11Screen::ConnectionProblem(display.x11Display.toStdString());
        if (!problem.empty()) {
            Say(QString::fromStdString(problem));
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    if (display.waylandNote)
        Say(WaylandNote());

    IniMod::UseProfile(profile);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvor"));
    const std::unique_ptr<ScreenReader> screen = OpenScreen(display);
    QtDesktop desktop(*screen, QCoreApplication::applicationDirPath());
    FenwoMainWindow window(desktop);
    openWindow = &window;
    std::atexit(SaveOnExit);
    CloseOnTerminationSignals(window);
    std::unique_ptr<CaptureService> captures;
    if (!display.x11Display.isEmpty())
        captures = std::make_unique<CaptureService>(window.Core(), display.x11Display);
    ReportStartupWhenAsked(window);
    window.show();
    const int status = QApplication::exec();
    openWindow = nullptr;
    return status;
}
