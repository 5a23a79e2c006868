#include "app/DropDownList.h"
#include "app/FenwoMain.h"
#include "app/JapaneseFonts.h"
#include "app/OptionBox.h"
#include "app/WindowPlacement.h"
#include "sampling/ScreenPlatform.h"
#include "settings/IniLocation.h"
#include "settings/IniMod.h"
#include "settings/NumberText.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace {

constexpr double TwipsPerPixel = 15.0;
// Before the window manager frames the window its decorations are unknown: a fair guess.
constexpr int TitleBarHeight = 24;
constexpr int BorderWidth = 6;

// X11 carries window positions in 16 bits.
std::optional<int> TwipsToPixels(float twips) {
    const double pixels = std::round(static_cast<double>(twips) / TwipsPerPixel);
    if (pixels < -32768.0 || pixels > 32767.0)
        return std::nullopt;
    return static_cast<int>(pixels);
}

} // namespace

float FenwoMain::Left() const {
    return static_cast<float>(pos().x() * TwipsPerPixel);
}

float FenwoMain::Top() const {
    return static_cast<float>(pos().y() * TwipsPerPixel);
}

int FenwoMain::WindowState() const {
    if (windowState() & Qt::WindowMinimized)
        return 1;
    return windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen) ? 2 : 0;
}

// Every step below that fails ends there, silently; the next step still runs.
void FenwoMain::Form_Load() {
    DesktopWnd = platform_.GetDesktopWindow();
    platform_.SetWindowTopmost(*this);
    platform_.GetAsyncKeyState(VK_SPACE); // only presses from now on count
    IniMod::SetIniPath(SettingsFilePath(AppPath));
    RestorePosition();
    RestoreUpperCase();
    RestoreOutputFormat();
    GiveJapaneseFont();
}

void FenwoMain::RestorePosition() {
    const QString hereLeft = SingleText(Left());
    const QString hereTop = SingleText(Top());
    const QString leftText =
        IniMod::ReadIni(QStringLiteral("Position"), QStringLiteral("Left"), hereLeft);
    const QString topText =
        IniMod::ReadIni(QStringLiteral("Position"), QStringLiteral("Top"), hereTop);
    const auto left = ParseSingle(leftText);
    const auto top = ParseSingle(topText);
    if (!left || !top)
        return;
    if (leftText == hereLeft && topText == hereTop && !testAttribute(Qt::WA_Moved))
        return; // nothing stored: the window manager chooses, as for any new window
    const auto x = TwipsToPixels(*left);
    const auto y = TwipsToPixels(*top);
    if (!x || !y)
        return;
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect frame(*x, *y, width() + 2 * BorderWidth, height() + TitleBarHeight + BorderWidth);
    move(ReachablePosition(frame, TitleBarHeight, screens));
}

void FenwoMain::RestoreUpperCase() {
    const auto value = ParseInteger16(IniMod::ReadIni(
        QStringLiteral("Output"), QStringLiteral("UpperCase"), QStringLiteral("1")));
    if (value)
        Check2->setValue(*value);
}

void FenwoMain::RestoreOutputFormat() {
    const auto index = ParseInteger16(
        IniMod::ReadIni(QStringLiteral("Output"), QStringLiteral("Type"), QStringLiteral("0")));
    if (index)
        Combo1->setListIndex(*index);
}

void FenwoMain::GiveJapaneseFont() {
    // The face the labels were designed for, then the Japanese faces found here.
    QFont japanese = font();
    japanese.setFamilies(
        QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")} +
        JapaneseFallbackFaces());
    for (QWidget *control :
         std::initializer_list<QWidget *>{Combo1, Label2, Label3[0], Label3[1], Label3[2]})
        control->setFont(japanese);
}

void FenwoMain::Form_QueryUnload(int &Cancel, int &UnloadMode) {
    Q_UNUSED(Cancel);
    Q_UNUSED(UnloadMode);
    if (WindowState() == 0) {
        IniMod::WriteIni(QStringLiteral("Position"), QStringLiteral("Left"), SingleText(Left()));
        IniMod::WriteIni(QStringLiteral("Position"), QStringLiteral("Top"), SingleText(Top()));
    }
    IniMod::WriteIni(QStringLiteral("Output"), QStringLiteral("UpperCase"),
                     QString::number(Check2->Value()));
    IniMod::WriteIni(QStringLiteral("Output"), QStringLiteral("Type"),
                     QString::number(Combo1->ListIndex()));
}

void FenwoMain::closeEvent(QCloseEvent *event) {
    int Cancel = 0;
    int UnloadMode = 0;
    Form_QueryUnload(Cancel, UnloadMode);
    if (Cancel != 0) {
        event->ignore();
        return;
    }
    Timer1->stop();
    event->accept();
}
