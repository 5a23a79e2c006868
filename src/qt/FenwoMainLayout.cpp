#include "core/colour/CodeFormats.h"
#include "core/history/StripGeometry.h"
#include "core/window/ControlLookup.h"
#include "core/window/WindowLayout.h"
#include "qt/DropDownList.h"
#include "qt/EyedropperIcon.h"
#include "qt/FenwoMainWindow.h"
#include "qt/HistoryStrip.h"
#include "qt/JapaneseFonts.h"
#include "qt/LoupeBox.h"
#include "qt/OptionBox.h"
#include "qt/PictureBox.h"
#include "qt/TextBox.h"
#include "qt/ToggleFrame.h"

#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <utility>
#include <vector>

namespace {

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QLabel *Caption(ControlId id, QWidget *parent, Qt::Alignment alignment) {
    auto *label = new QLabel(Utf8(ControlOf(id).caption), parent);
    label->setAlignment(alignment);
    return label;
}

} // namespace

QString PreviewTip() {
    return Utf8(ControlOf(ControlId::Picture1).tip);
}

QWidget *FenwoMainWindow::Control(ControlId id) const {
    // A row without its widget: the first start fails on it.
    return ControlOfWindow<QWidget *>(*this, id);
}

// The window is fixed in size, so the design's pixels are the widgets' geometry; Qt scales
// them on a high-DPI screen.
void FenwoMainWindow::CreateControls() {
    setWindowTitle(QStringLiteral("Kalvor"));
    setWindowIcon(EyedropperIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(FenwoMain::ScaleWidth, FenwoMain::ScaleHeight);
    setFont(WithJapaneseFallback(font()));

    Label2 = Caption(ControlId::Label2, this, Qt::AlignCenter);
    Image1 = new QLabel(this);
    Image1->setPixmap(EyedropperPixmap(32));
    Image2 = new QLabel(this);
    for (int i = 0; i < 3; ++i)
        Label3[i] = Caption(Label3Element(i), this, Qt::AlignHCenter | Qt::AlignTop);
    Check1 = new ToggleFrame(this);
    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(core_->TimerInterval());
    for (TextBox *&box : Text1) {
        box = new TextBox(this);
        box->setAlignment(Qt::AlignRight);
    }
    Text2 = new TextBox(this);
    Picture1 = new PictureBox(this);
    Picture1->setToolTip(PreviewTip());
    Picture1->setFocusPolicy(Qt::StrongFocus);

    Picture2 = new QWidget(this);
    Picture4 = new HistoryStrip(*core_, Picture2);
    HScroll1 = new QScrollBar(Qt::Horizontal, Picture2);
    HScroll1->setRange(0, 0);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(SwatchesInFrame);
    HScroll1->setEnabled(false);

    Combo1 = new DropDownList(this);
    for (const CodeFormat &format : ListFormats())
        Combo1->addItem(Utf8(format.label));
    Combo1->setCurrentIndex(-1);
    Check2 = new OptionBox(Utf8(ControlOf(ControlId::Check2).caption), this);
    Picture5 = new LoupeBox(this);
    Label4 = Caption(ControlId::Label4, this, Qt::AlignLeft | Qt::AlignVCenter);
    Label5 = Caption(ControlId::Label5, this, Qt::AlignLeft | Qt::AlignVCenter);

    // Back to front, each raised above the ones before it.
    const auto controls = WindowControls();
    std::vector<QWidget *> tabOrder(controls.size(), nullptr);
    for (auto row = controls.rbegin(); row != controls.rend(); ++row) {
        QWidget *control = Control(row->id);
        const PixelRect &r = row->rect;
        control->setGeometry(r.left, r.top, r.width, r.height);
        control->raise();
        if (row->tabPlace >= 0)
            tabOrder[static_cast<size_t>(row->tabPlace)] = control;
        if (OnLoupePanel(*row))
            control->hide(); // until the core shows the panel
    }
    for (size_t i = 1; i < tabOrder.size() && tabOrder[i]; ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Picture1->setFocus();
}
