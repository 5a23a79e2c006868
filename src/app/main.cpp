#include "app/CommandLine.h"
#include "app/DisplayChoice.h"
#include "app/FenwoMain.h"
#include "app/StartupProbe.h"
#include "app/TerminationSignals.h"
#include "sampling/NullScreenPlatform.h"
#include "sampling/X11ScreenPlatform.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace {

void Say(const QString &text) {
    std::fprintf(stderr, "kalvor: %s\n", qPrintable(text));
}

std::unique_ptr<ScreenPlatform> OpenScreen() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto x11 = X11ScreenPlatform::Open())
            return x11;
    }
    Say(QStringLiteral("no X11 screen to read; colours cannot be sampled here"));
    return std::make_unique<NullScreenPlatform>();
}

} // namespace

int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine command = ParseCommandLine(arguments);
    if (command.action != CommandLine::Run) {
        std::fputs(qPrintable(command.message),
                   command.action == CommandLine::Misuse ? stderr : stdout);
        return command.action == CommandLine::Misuse ? 2 : 0;
    }

    const DisplayChoice display = ChooseDisplay(
        {qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
         qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("QT_QPA_PLATFORM")});
    if (!display.error.isEmpty()) {
        Say(display.error);
        return 1;
    }
    if (display.forceX11) {
        // Qt would end the process on a display it cannot reach: say why and leave instead.
        const QString problem =
            X11ScreenPlatform::ConnectionProblem(qEnvironmentVariable("DISPLAY"));
        if (!problem.isEmpty()) {
            Say(problem);
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    if (display.waylandNote)
        Say(WaylandNote());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvor"));
    const std::unique_ptr<ScreenPlatform> screen = OpenScreen();
    FenwoMain window(*screen);
    CloseOnTerminationSignals(window);
    ReportStartupWhenAsked(window);
    window.show();
    return QApplication::exec();
}
