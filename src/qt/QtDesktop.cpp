#include "qt/QtDesktop.h"

#include "qt/PictureBox.h"
#include "qt/Say.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLocale>
#include <QMimeData>
#include <QScreen>

namespace {
constexpr int PreviewSize = 33; // the preview's side: the copied picture is the preview
}

QtDesktop::QtDesktop(ScreenReader &screen, std::function<std::string()> settingsFolder)
    : BackedDesktop(screen), settingsFolder_(std::move(settingsFolder)) {}

void QtDesktop::PickOnce(std::function<void(ColourValue)> done) {
    // A pick that ends after the window has gone is dropped with this object's queue.
    Screen().PickOnce([this, done = std::move(done)](ColourValue colour) {
        QMetaObject::invokeMethod(
            &thread_, [done, colour] { done(colour); }, Qt::QueuedConnection);
    });
}

void QtDesktop::CopyToClipboard(const std::string &text, ColourValue swatch) {
    auto *content = new QMimeData;
    content->setText(QString::fromStdString(text));
    content->setImageData(SwatchImage(swatch, PreviewSize, QApplication::palette()));
    QGuiApplication::clipboard()->setMimeData(content);
}

std::vector<ScreenRect> QtDesktop::Screens() {
    std::vector<ScreenRect> screens;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        screens.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    return screens;
}

std::string QtDesktop::SettingsFolder() {
    return settingsFolder_();
}

std::string QtDesktop::DecimalSeparator() {
    return QLocale::system().decimalPoint().toStdString();
}

void QtDesktop::Say(const std::string &message) {
    ::Say(message);
}
