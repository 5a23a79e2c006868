#include "app/DropDownList.h"
#include "app/FenwoMain.h"
#include "app/OptionBox.h"
#include "app/PictureBox.h"
#include "app/TextBox.h"
#include "colour/CodeText.h"

void FenwoMain::ShowColor(ColourValue colour) {
    Picture1->setBackColor(colour);
    const ColourTexts texts = RenderTexts(colour, Combo1->ListIndex(), Check2->Value());
    Text1[0]->Assign(texts.red);
    Text1[1]->Assign(texts.green);
    Text1[2]->Assign(texts.blue);
    Text2->Assign(texts.code);
}

void FenwoMain::Check2_Click() {
    ShowColor(Picture1->BackColor());
    if (!Text2->isHidden())
        Text2->SetFocus(); // refused before the window shows; the new texts stay all the same
}

void FenwoMain::Combo1_Click() {
    ShowColor(Picture1->BackColor());
}

void FenwoMain::Text1_GotFocus(int Index) {
    Text1[Index]->setSelection(0, Text1[Index]->text().size());
}

void FenwoMain::Text2_GotFocus() {
    Text2->setSelection(0, Text2->text().size());
}
