#include "qt/FenwoMainWindow.h"

#include "qt/DropDownList.h"
#include "qt/HistoryStrip.h"
#include "qt/LoupeBox.h"
#include "qt/OptionBox.h"
#include "qt/PictureBox.h"
#include "qt/TextBox.h"
#include "qt/ToggleFrame.h"
#include "qt/WindowStacking.h"

#include <QGuiApplication>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

FenwoMainWindow::FenwoMainWindow(QWidget *parent) : QWidget(parent) {
    // The picker is seldom the active window: the user works in another while it samples, and
    // the swatches' tips must show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

void FenwoMainWindow::Attach(FenwoMain &core) {
    core_ = &core;
    CreateControls();
    ConnectHandlers();
}

FenwoMainWindow::~FenwoMainWindow() = default;

void FenwoMainWindow::ConnectHandlers() {
    connect(Timer1, &QTimer::timeout, this, [this] { core_->Timer1_Timer(); });
    connect(Check1, &ToggleFrame::Click, this, [this] { core_->Check1_Click(); });
    connect(Picture1, &PictureBox::Click, this, [this] { core_->Picture1_Click(); });
    connect(Picture1, &PictureBox::Menu, this, &FenwoMainWindow::ShowPreviewMenu);
    connect(Picture5, &LoupeBox::Wheel, this,
            [this](int steps) { core_->Picture5_MouseWheel(steps); });
    // Queued: it comes while the core hands a picture over or while the box paints.
    connect(
        Picture5, &LoupeBox::SideChanged, this, [this](int side) { core_->Picture5_Resize(side); },
        Qt::QueuedConnection);
    connect(Check2, &OptionBox::Click, this, [this] { core_->Check2_Click(); });
    connect(Combo1, &DropDownList::Click, this, [this](int index) { core_->Combo1_Click(index); });
    for (int i = 0; i < 3; ++i) {
        connect(Text1[i], &TextBox::GotFocus, this, [this, i] { core_->Text1_GotFocus(i); });
        connect(Text1[i], &QLineEdit::textEdited, this,
                [this, i](const QString &text) { core_->Text1_Change(i, text.toStdString()); });
    }
    connect(Text2, &TextBox::GotFocus, this, [this] { core_->Text2_GotFocus(); });
    connect(Text2, &QLineEdit::textEdited, this,
            [this](const QString &text) { core_->Text2_Change(text.toStdString()); });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int value) {
        if (HScroll1->isSliderDown())
            core_->HScroll1_Scroll(value);
        else
            core_->HScroll1_Change(value);
    });
    connect(HScroll1, &QScrollBar::sliderReleased, this,
            [this] { core_->HScroll1_Change(HScroll1->value()); });
    connect(Picture4, &HistoryStrip::Click, this,
            [this](qint64 index) { core_->Picture3_Click(index); });
    connect(Picture4, &HistoryStrip::Menu, this, &FenwoMainWindow::ShowStripMenu);
}

void FenwoMainWindow::setVisible(bool visible) {
    if (visible && !loaded_) {
        loaded_ = true;
        if (testAttribute(Qt::WA_Moved))
            core_->Form_Moved(x(), y());
        // A Wayland window never learns its place (Qt reports one relative to its decoration).
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            core_->PositionUnknowable();
        core_->Form_Load();
        QWidget::setVisible(true);
        Timer1->start(core_->TimerInterval());
        return;
    }
    QWidget::setVisible(visible);
}

void FenwoMainWindow::ShowPreview(ColourValue colour) {
    Picture1->setBackColor(colour);
}

void FenwoMainWindow::ShowTexts(const ColourTexts &texts) {
    Text1[0]->Assign(QString::fromStdString(texts.red));
    Text1[1]->Assign(QString::fromStdString(texts.green));
    Text1[2]->Assign(QString::fromStdString(texts.blue));
    Text2->Assign(QString::fromStdString(texts.code));
}

void FenwoMainWindow::ShowHold(bool held) {
    Check1->setChecked(held);
}

void FenwoMainWindow::ShowUpperCase(int value) {
    Check2->setValue(value);
}

void FenwoMainWindow::ShowFormat(int listIndex) {
    Combo1->setCurrentIndex(listIndex);
}

void FenwoMainWindow::ShowHistory(const History &history, const StripScroll &strip) {
    Picture4->Show(history, strip);
    const QSignalBlocker quiet(HScroll1); // the core already knows the value it set
    HScroll1->setEnabled(strip.ScrollEnabled());
    HScroll1->setMaximum(strip.ScrollMax());
    HScroll1->setValue(strip.ScrollValue());
}

TextBox *FenwoMainWindow::Box(TextField field) const {
    return field == CodeBox ? Text2 : Text1[static_cast<size_t>(field)];
}

void FenwoMainWindow::SelectWholeText(TextField field) {
    TextBox *box = Box(field);
    box->setSelection(0, static_cast<int>(box->text().size()));
}

bool FenwoMainWindow::FocusCode() {
    return !Text2->isHidden() && Text2->SetFocus();
}

void FenwoMainWindow::SetTimerInterval(int milliseconds) {
    Timer1->setInterval(milliseconds);
}

void FenwoMainWindow::SetWindowTopmost() {
    KeepAboveOthers(*this);
}

void FenwoMainWindow::ShowPreviewTip(const std::string &text) {
    Picture1->setToolTip(QString::fromStdString(text));
}

void FenwoMainWindow::MoveWindow(int left, int top) {
    move(left, top);
}
