#include "app/FenwoMain.h"
#include "app/TerminationSignals.h"
#include "sampling/NullScreenPlatform.h"
#include "sampling/X11ScreenPlatform.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace {

bool NoDisplayAtAll() {
    return qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

std::unique_ptr<ScreenPlatform> OpenScreen() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto x11 = X11ScreenPlatform::Open())
            return x11;
    }
    std::fprintf(stderr, "kalvor: no X11 screen to read; colours cannot be sampled here\n");
    return std::make_unique<NullScreenPlatform>();
}

} // namespace

int main(int argc, char *argv[]) {
    if (NoDisplayAtAll()) {
        std::fprintf(stderr, "kalvor: no display: DISPLAY is not set\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvor"));
    const std::unique_ptr<ScreenPlatform> screen = OpenScreen();
    FenwoMain window(*screen);
    CloseOnTerminationSignals(window);
    window.show();
    return QApplication::exec();
}
