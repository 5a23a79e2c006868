#include "app/FenwoMain.h"

#include "app/DropDownList.h"
#include "app/OptionBox.h"
#include "app/PictureBox.h"
#include "app/TextBox.h"
#include "app/ToggleFrame.h"
#include "history/HistoryStrip.h"
#include "sampling/ScreenPlatform.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QTimer>

FenwoMain::FenwoMain(ScreenPlatform &platform, QWidget *parent)
    : QWidget(parent), AppPath(QCoreApplication::applicationDirPath()), platform_(platform) {
    CreateControls();
    ConnectHandlers();
}

FenwoMain::~FenwoMain() = default;

void FenwoMain::ConnectHandlers() {
    connect(Timer1, &QTimer::timeout, this, &FenwoMain::Timer1_Timer);
    connect(Check1, &ToggleFrame::Click, this, &FenwoMain::Check1_Click);
    connect(Picture1, &PictureBox::Click, this, &FenwoMain::Picture1_Click);
    connect(Check2, &OptionBox::Click, this, &FenwoMain::Check2_Click);
    connect(Combo1, &DropDownList::Click, this, &FenwoMain::Combo1_Click);
    for (int i = 0; i < 3; ++i)
        connect(Text1[i], &TextBox::GotFocus, this, [this, i] { Text1_GotFocus(i); });
    connect(Text2, &TextBox::GotFocus, this, &FenwoMain::Text2_GotFocus);
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] {
        if (HScroll1->isSliderDown())
            HScroll1_Scroll();
        else
            HScroll1_Change();
    });
    connect(HScroll1, &QScrollBar::sliderReleased, this, &FenwoMain::HScroll1_Change);
    connect(Picture4, &HistoryStrip::Click, this, &FenwoMain::Picture3_Click);
}

void FenwoMain::setVisible(bool visible) {
    if (visible && !loaded_) {
        loaded_ = true;
        Form_Load();
        QWidget::setVisible(true);
        Timer1->start();
        return;
    }
    QWidget::setVisible(visible);
}
