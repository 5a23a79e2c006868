// The sampling tick and the hold.
#include "core/FenwoMain.h"
#include "core/sampling/KeyState.h"

void FenwoMain::Timer1_Timer() {
    if (!held_) {
        if (const auto pointer = desktop_.GetCursorPos())
            ReadSquare(*pointer);
        else
            square_ = {};
        ShowSample();
        ShowLoupe();
    }
    // The one place a polled Space press becomes a capture request; one already waiting is
    // that press, not one more.
    if (desktop_.GetAsyncKeyState(VK_SPACE) != 0 && captureRequests_ == 0)
        RequestCapture();
    if (captureRequests_ == 0)
        return;
    --captureRequests_;
    SetHold(!held_);
    if (held_) {
        AppendSwatch();
        CopyColor();
    }
}

void FenwoMain::ColourPicked(ColourValue colour) {
    if (colour == CLR_INVALID)
        return;
    previewFromRead_ = false;
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
    const ReaderState state = desktop_.ReadState();
    switch (state.kind) {
    case ReaderState::Refused:
    case ReaderState::Unavailable:
        if (!state.askAgainHelps)
            break;
        desktop_.AskAgain();
        return;
    case ReaderState::PickOnly:
        desktop_.PickOnce([this](ColourValue colour) { ColourPicked(colour); });
        return;
    case ReaderState::Reading:
    case ReaderState::AwaitingConsent:
        break; // the click holds the colour as anywhere else
    }
    SetHold(!held_);
}

void FenwoMain::ReaderStateChanged() {
    const ReaderState state = desktop_.ReadState();
    const bool reading = state.kind == ReaderState::Reading;
    readProblem_ = reading ? std::string() : state.reason;
    ShowPreviewTip();
    // Waiting is no trouble; a portal that keeps refusing does not fill the terminal.
    if (!reading && state.kind != ReaderState::AwaitingConsent &&
        toldProblems_.insert(state.reason).second)
        desktop_.Say(state.reason);
}

void FenwoMain::SetHold(bool held) {
    held_ = held;
    if (held_)
        KeepHeldSquare(); // before the view hears of it: a paused reader reads nothing
    view_.ShowHold(held_);
    view_.SetTimerInterval(TimerInterval());
}
