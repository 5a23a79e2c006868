// The window's own life: its font, where it stands, and its close.
#include "qt/DropDownList.h"
#include "qt/FenwoMainWindow.h"
#include "qt/JapaneseFonts.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

int FenwoMainWindow::WindowState() const {
    if (windowState() & Qt::WindowMinimized)
        return 1;
    return windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen) ? 2 : 0;
}

void FenwoMainWindow::UseJapaneseFont() {
    // The face the labels were designed for, then the Japanese faces found here.
    QFont japanese = font();
    japanese.setFamilies(
        QStringList{QString::fromUtf8(JapaneseFaceName.data(), qsizetype(JapaneseFaceName.size())),
                    QStringLiteral("MS PGothic")} +
        JapaneseFallbackFaces());
    for (const WindowControl &control : WindowControls())
        if (control.font == ControlFont::Japanese)
            Control(control.id)->setFont(japanese);
}

void FenwoMainWindow::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event);
    core_->Form_Moved(x(), y());
}

void FenwoMainWindow::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        core_->Form_StateChanged(WindowState());
}

void FenwoMainWindow::closeEvent(QCloseEvent *event) {
    int Cancel = 0;
    core_->Form_QueryUnload(Cancel, 0);
    if (Cancel != 0) {
        event->ignore();
        return;
    }
    Timer1->stop();
    unloaded_ = true;
    event->accept();
}

void FenwoMainWindow::SaveIfOpen() {
    if (!loaded_ || unloaded_)
        return;
    unloaded_ = true;
    int Cancel = 0;
    core_->Form_QueryUnload(Cancel, 0);
}
