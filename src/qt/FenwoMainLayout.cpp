#include "core/colour/CodeFormats.h"
#include "core/history/StripGeometry.h"
#include "qt/DropDownList.h"
#include "qt/EyedropperIcon.h"
#include "qt/FenwoMainWindow.h"
#include "qt/HistoryStrip.h"
#include "qt/JapaneseFonts.h"
#include "qt/OptionBox.h"
#include "qt/PictureBox.h"
#include "qt/TextBox.h"
#include "qt/ToggleFrame.h"

#include <QLabel>
#include <QScrollBar>
#include <QTimer>

namespace {

template <typename Control> Control *Place(Control *control, int left, int top, int w, int h) {
    control->setGeometry(left, top, w, h);
    return control;
}

QLabel *Caption(const QString &text, QWidget *parent, Qt::Alignment alignment) {
    auto *label = new QLabel(text, parent);
    label->setAlignment(alignment);
    return label;
}

} // namespace

QString PreviewTip() {
    return QStringLiteral("吸い取り有効/無効");
}

// Geometry is fixed in pixels, as the window is fixed in size; siblings are created back to
// front, since a later sibling stacks above an earlier one.
void FenwoMainWindow::CreateControls() {
    setWindowTitle(QStringLiteral("Kalvor"));
    setWindowIcon(EyedropperIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(FenwoMain::ScaleWidth, FenwoMain::ScaleHeight);
    setFont(WithJapaneseFallback(font()));

    Label2 = Place(Caption(QStringLiteral("採取する色にポイントして[スペース]を押して下さい"), this,
                           Qt::AlignCenter),
                   0, 120, 280, 20);
    Image1 = Place(new QLabel(this), 224, 8, 32, 32);
    Image1->setPixmap(EyedropperPixmap(32));
    Image2 = Place(new QLabel(this), 0, 112, 17, 9);
    Label3[0] =
        Place(Caption(QStringLiteral("R"), this, Qt::AlignHCenter | Qt::AlignTop), 88, 8, 33, 17);
    Label3[1] =
        Place(Caption(QStringLiteral("B"), this, Qt::AlignHCenter | Qt::AlignTop), 168, 8, 33, 17);
    Label3[2] =
        Place(Caption(QStringLiteral("G"), this, Qt::AlignHCenter | Qt::AlignTop), 128, 8, 33, 17);
    Check1 = Place(new ToggleFrame(this), 20, 4, 41, 41);
    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(core_->TimerInterval());
    Text1[0] = Place(new TextBox(this), 88, 24, 33, 18);
    Text2 = Place(new TextBox(this), 88, 48, 113, 18);
    Picture1 = Place(new PictureBox(this), 24, 8, 33, 33);
    Picture1->setToolTip(PreviewTip());
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Text1[1] = Place(new TextBox(this), 128, 24, 33, 18);
    Text1[2] = Place(new TextBox(this), 168, 24, 33, 18);
    for (TextBox *box : Text1)
        box->setAlignment(Qt::AlignRight);

    Picture2 = Place(new QWidget(this), 16, 80, 241, 33);
    Picture4 = Place(new HistoryStrip(core_->Swatches(), Picture2), 0, 0, 241, SwatchSize);
    HScroll1 = Place(new QScrollBar(Qt::Horizontal, Picture2), 0, 16, 241, 17);
    HScroll1->setRange(0, 0);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(SwatchesInFrame);
    HScroll1->setEnabled(false);

    Combo1 = Place(new DropDownList(this), 8, 48, 73, 20);
    for (const CodeFormat &format : ListFormats())
        Combo1->addItem(QString::fromUtf8(format.label.data(), qsizetype(format.label.size())));
    Combo1->setCurrentIndex(-1);
    Check2 = Place(new OptionBox(QStringLiteral("大文字"), this), 208, 48, 57, 17);

    setTabOrder(Picture1, Text1[0]);
    setTabOrder(Text1[0], Text1[1]);
    setTabOrder(Text1[1], Text1[2]);
    setTabOrder(Text1[2], Text2);
    setTabOrder(Text2, HScroll1);
    setTabOrder(HScroll1, Combo1);
    setTabOrder(Combo1, Check2);
    Picture1->setFocus();
}
