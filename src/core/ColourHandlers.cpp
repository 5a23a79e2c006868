// The colour presenter: what the window shows for a colour, and the options that shape it.
#include "core/FenwoMain.h"

#include "core/colour/CodeFormats.h"

FenwoMain::FenwoMain(WindowView &view, Desktop &desktop, IniMod &settings, FileStore *files,
                     ProfileEngine *engine)
    : view_(view), desktop_(desktop), settings_(settings), files_(files), conversion_(engine) {}

void FenwoMain::ShowColor(ColourValue colour) {
    preview_ = colour;
    texts_ = RenderTexts(colour, listIndex_, upperCase_);
    view_.ShowPreview(preview_);
    view_.ShowTexts(texts_);
}

void FenwoMain::Check2_Click() {
    SetUpperCase(upperCase_ == 1 ? 0 : 1); // from greyed, a click checks the box
}

void FenwoMain::Combo1_Click(int listIndex) {
    SetListIndex(listIndex);
}

void FenwoMain::Text1_GotFocus(int Index) {
    view_.SelectWholeText(static_cast<WindowView::TextField>(Index));
}

void FenwoMain::Text2_GotFocus() {
    view_.SelectWholeText(WindowView::CodeBox);
}

void FenwoMain::Text1_Change(int Index, const std::string &text) {
    std::string *boxes[] = {&texts_.red, &texts_.green, &texts_.blue};
    if (Index >= 0 && Index < 3)
        *boxes[Index] = text;
}

void FenwoMain::Text2_Change(const std::string &text) {
    texts_.code = text;
}

// Only a change counts: setting the value the box already has raises nothing.
void FenwoMain::SetUpperCase(int value) {
    if (value == upperCase_ || value < 0 || value > 2)
        return;
    upperCase_ = value;
    view_.ShowUpperCase(upperCase_);
    ShowColor(preview_);
    view_.FocusCode(); // refused before the window shows; the new texts stand all the same
}

// Every choice counts, even of the entry already chosen.
void FenwoMain::SetListIndex(int listIndex) {
    if (listIndex < FormatNone || listIndex >= static_cast<int>(ListFormats().size()))
        return;
    listIndex_ = listIndex;
    view_.ShowFormat(listIndex_);
    ShowColor(preview_);
}
