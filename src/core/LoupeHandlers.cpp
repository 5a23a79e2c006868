// The loupe panel and the averaged sample.
#include "core/FenwoMain.h"
#include "core/loupe/LoupeMenu.h"
#include "core/loupe/LoupePicture.h"

#include <algorithm>

int FenwoMain::ClientAreaHeight() const {
    return ScaleHeight + (loupe_.visible ? LoupePanelHeight : 0);
}

void FenwoMain::PreviewMenu_Click(int command) {
    if (const auto space = SpaceOfMenuCommand(command)) {
        SetColourSpace(*space);
        return;
    }
    SetLoupe(AfterMenuCommand(loupe_, command));
}

void FenwoMain::Picture5_MouseWheel(int steps) {
    SetLoupe(ZoomedBy(loupe_, steps));
}

void FenwoMain::Picture5_Resize(int side) {
    if (side <= 0 || side == loupeSide_)
        return;
    loupeSide_ = side;
    shownLoupe_.zoom = 0; // drawn afresh at the new size
    ShowLoupe();
}

void FenwoMain::SetLoupe(const LoupeSettings &loupe) {
    const LoupeSettings before = loupe_;
    loupe_ = loupe;
    if (loupe_.visible != before.visible) {
        view_.ShowLoupePanel(loupe_.visible);
        shownLoupe_.zoom = 0; // no zoom: a panel shown again is drawn afresh
    }
    // Held, the loupe draws from what was kept at the hold; else what it now needs is read
    // around the same pixel.
    if (!held_ && !square_.pixels.empty() && square_.reach < SquareReach())
        ReadSquare(square_.centre);
    ShowLoupe();
}

// The hidden loupe reads no more than the sample needs.
int FenwoMain::SquareReach() const {
    const int sampleReach = loupe_.sample / 2;
    return loupe_.visible ? std::max(LoupeReach(loupe_.zoom), sampleReach) : sampleReach;
}

void FenwoMain::ReadSquare(ScreenPoint centre) {
    square_ = desktop_.ReadSquare(desktopWnd_, centre, SquareReach());
}

// The widest loupe's pixels around a colour as it is held, read once: a loupe shown or zoomed
// out later draws from them, whatever the screen does meanwhile. The pixels the colour came
// from stay as they were read.
void FenwoMain::KeepHeldSquare() {
    if (square_.pixels.empty())
        return;
    const int reach = std::max(LoupeReach(LoupeSettings::MinZoom), loupe_.sample / 2);
    square_ = Widened(desktop_.ReadSquare(desktopWnd_, square_.centre, reach), square_);
}

void FenwoMain::ShowLoupe() {
    if (!loupe_.visible || (square_ == shownSquare_ && loupe_ == shownLoupe_))
        return;
    shownSquare_ = square_;
    shownLoupe_ = loupe_;
    view_.ShowLoupe(DrawLoupe(square_, loupe_.zoom, loupe_.sample, loupeSide_));
}
