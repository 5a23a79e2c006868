#include "qt/QtDesktop.h"

#include "qt/PictureBox.h"
#include "qt/Say.h"
#include "qt/SettingsLocation.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLocale>
#include <QMimeData>
#include <QScreen>

namespace {
constexpr int PreviewSize = 33; // the preview's side: the copied picture is the preview
}

QtDesktop::QtDesktop(ScreenReader &screen, std::string programDir)
    : BackedDesktop(screen), programDir_(std::move(programDir)) {}

QtDesktop::QtDesktop(ScreenReader &screen, const QString &programDir)
    : QtDesktop(screen, QFile::encodeName(programDir).toStdString()) {}

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
    return NativeSettingsFolder(programDir_);
}

std::string QtDesktop::DecimalSeparator() {
    return QLocale::system().decimalPoint().toStdString();
}

void QtDesktop::Say(const std::string &message) {
    ::Say(message);
}
