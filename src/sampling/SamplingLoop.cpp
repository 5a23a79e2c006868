#include "app/FenwoMain.h"
#include "app/ToggleFrame.h"
#include "sampling/ScreenPlatform.h"

#include <QTimer>

namespace {
constexpr int SamplingPeriod = 50;
constexpr int HeldPeriod = 200;
} // namespace

void FenwoMain::Timer1_Timer() {
    if (Timer1->interval() != HeldPeriod) {
        const QPoint pointer = platform_.GetCursorPos();
        ShowColor(static_cast<ColourValue>(platform_.GetPixel(DesktopWnd, pointer)));
    }
    if (platform_.GetAsyncKeyState(VK_SPACE) == 0)
        return;
    Check1->setValue(1 - Check1->Value());
    if (Check1->Value() == 1) {
        AppendSwatch();
        CopyColor();
    }
}

void FenwoMain::Check1_Click() {
    Timer1->setInterval(Timer1->interval() == HeldPeriod ? SamplingPeriod : HeldPeriod);
}

void FenwoMain::Picture1_Click() {
    Check1->setValue(1 - Check1->Value());
}
