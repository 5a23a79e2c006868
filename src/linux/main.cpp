#include "core/colour/Contrast.h"
#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "linux/Backends.h"
#include "linux/CaptureService.h"
#include "linux/CommandLine.h"
#include "linux/CommandLineActions.h"
#include "linux/DisplayChoice.h"
#include "linux/SettingsLocation.h"
#include "linux/TerminationSignals.h"
#include "platform/lcms/LcmsProfileEngine.h"
#include "platform/posix/PosixFileStore.h"
#include "platform/x11/X11Screen.h"
#include "qt/FenwoMainWindow.h"
#include "qt/QtDesktop.h"
#include "qt/Say.h"

#include <QApplication>
#include <QMessageBox>
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
    if (command.action == CommandLine::Contrast) {
        std::fputs(ContrastReport(command.text, command.ground).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    DisplayEnvironment environment = ProcessEnvironment(command.display);
    // Named by the display the window would choose, so that both sides meet on one name. The X
    // display does not hang on the backend: a capture request loads none.
    const QString channel =
        CaptureChannelName(ChooseDisplay(environment).x11Display, environment.waylandDisplay);
    if (command.action == CommandLine::Capture)
        return CaptureInRunningCopy(channel);
    if (command.action == CommandLine::History) {
        PosixFileStore files;
        IniFileProfile profile(files);
        IniMod settings(profile);
        settings.SetIniPath(NativeSettingsFolder(ProgramFolder()) + "/Kalvor.ini");
        return PrintHistory(command, channel, settings, files);
    }

    // The first backend that is at home here and opens; KALVOR_BACKEND=x11 or wayland decides
    // by hand.
    const ChosenBackend chosen =
        ChooseBackend(Backends(), qEnvironmentVariable("KALVOR_BACKEND").toStdString());
    for (const std::string &problem : chosen.problems)
        Say(problem);
    if (!chosen.backend)
        return 1;
    Backend &backend = *chosen.backend;
    environment.waylandBackend = backend.ReadsThroughPortal();
    const DisplayChoice display = ChooseDisplay(environment);
    const QString x11Name =
        command.display.isEmpty() ? qEnvironmentVariable("DISPLAY") : command.display;

    PosixFileStore files;
    IniFileProfile profile(files);
    IniMod settings(profile);
    if (command.action == CommandLine::Print) {
        const QCoreApplication quiet(argc, argv);
        settings.SetIniPath(NativeSettingsFolder(ProgramFolder()) + "/Kalvor.ini");
        return backend.PrintColour(command, x11Name, settings);
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

    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvor"));
    const std::unique_ptr<ScreenSession> session = backend.Open(display);
    QtDesktop desktop(session->Screen(), [] { return NativeSettingsFolder(ProgramFolder()); });
    // The program owns the window's logic; the window shows it and hands it every event.
    FenwoMainWindow window;
    LcmsProfileEngine colours;
    FenwoMain core(window, desktop, settings, &files, &colours);
    window.Attach(core);
    session->Attach(window, core);
    openWindow = &window;
    std::atexit(SaveOnExit);
    CloseOnTerminationSignals(window);
    std::unique_ptr<CaptureService> captures;
    if (!channel.isEmpty())
        captures =
            std::make_unique<CaptureService>([&session] { session->RequestCapture(); }, channel,
                                             [&core] { return core.HistoryPalette(); });
    window.show();
    const int status = QApplication::exec();
    openWindow = nullptr;
    // A notice beside the window went with it: what the close could not save is told where it
    // is seen, unless the session is ending.
    if (const std::string &problem = core.CloseSaveProblem();
        !problem.empty() && !ClosedByTerminationSignal())
        QMessageBox::warning(nullptr, QStringLiteral("Kalvor"),
                             QString::fromStdString("Kalvor: " + problem));
    // Qt's Wayland platform can wait for ever on its event thread while it takes the display
    // down, long after the settings were saved: a native Wayland window leaves that to the
    // process's end. Everything of ours above still closes first.
    if (display.nativeWayland)
        static_cast<void>(app.release());
    return status;
}
