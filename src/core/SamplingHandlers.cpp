// The sampling tick and the hold.
#include "core/FenwoMain.h"
#include "core/sampling/KeyState.h"

void FenwoMain::Timer1_Timer() {
    if (!held_) {
        const auto pointer = desktop_.GetCursorPos();
        ShowColor(pointer ? desktop_.GetPixel(desktopWnd_, *pointer) : CLR_INVALID);
    }
    const bool spacePressed = desktop_.GetAsyncKeyState(VK_SPACE) != 0;
    const bool requested = captureRequests_ > 0;
    if (requested)
        --captureRequests_; // a press in the same tick is that request, not one more
    if (!spacePressed && !requested)
        return;
    SetHold(!held_);
    if (held_) {
        AppendSwatch();
        CopyColor();
    }
}

void FenwoMain::ColourPicked(ColourValue colour) {
    if (colour == CLR_INVALID)
        return;
    ShowColor(colour);
    if (!held_)
        SetHold(true); // the next ticks would read nothing over it
    AppendSwatch();
    CopyColor();
}

void FenwoMain::Check1_Click() {
    SetHold(!held_);
}

void FenwoMain::Picture1_Click() {
    SetHold(!held_);
}

void FenwoMain::SetHold(bool held) {
    held_ = held;
    view_.ShowHold(held_);
    view_.SetTimerInterval(TimerInterval());
}
