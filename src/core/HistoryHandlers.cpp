// Capture and the history strip.
#include "core/FenwoMain.h"

void FenwoMain::AppendSwatch() {
    history_.Append(preview_);
    view_.ShowHistory(history_);
}

// One call replaces the whole clipboard: text and bitmap go up together.
void FenwoMain::CopyColor() {
    desktop_.CopyToClipboard(texts_.code, preview_);
}

void FenwoMain::HScroll1_Change(int value) {
    history_.ScrollTo(value, false);
    view_.ShowHistory(history_);
}

void FenwoMain::HScroll1_Scroll(int value) {
    history_.ScrollTo(value, true);
    view_.ShowHistory(history_);
}

void FenwoMain::Picture3_Click(std::int64_t Index) {
    if (Index < 0 || Index >= history_.Count())
        return;
    previewFromRead_ = false;
    ShowColor(history_.Swatch(Index));
    CopyColor();
}
