#include "app/FenwoMain.h"
#include "app/PictureBox.h"
#include "history/HistoryStrip.h"
#include "history/StripGeometry.h"

#include <QScrollBar>

void FenwoMain::AppendSwatch() {
    const int n = HistoryCount;
    if (n != 0) {
        Picture4->setWidth(StripWidth(n + 1));
        const ScrollRange range = ScrollRangeFor(n + 1);
        if (range.enabled) {
            HScroll1->setEnabled(true);
            HScroll1->setMaximum(range.max);
        }
    }
    Picture4->Append(Picture1->BackColor());
    HistoryCount = n + 1;
}

void FenwoMain::HScroll1_Change() {
    Picture4->setLeft(StripLeftAfterChange(HScroll1->value()));
}

void FenwoMain::HScroll1_Scroll() {
    Picture4->setLeft(StripLeftWhileDragging(HScroll1->value()));
}

void FenwoMain::Picture3_Click(qint64 Index) {
    ShowColor(Picture4->BackColor(Index));
    CopyColor();
}
