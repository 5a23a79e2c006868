#include "win32/Notice.h"

#include "platform/win32/Text.h"

#include <commctrl.h>

namespace {

constexpr UINT ShownMilliseconds = 8000;
HWND shown = nullptr; // the balloon the hide timer is for
UINT_PTR hideTimer = 0;

} // namespace

Notice::~Notice() {
    if (balloon_)
        DestroyWindow(balloon_);
}

void Notice::Show(const std::string &message) {
    if (!IsWindow(owner_))
        return;
    if (!balloon_) {
        balloon_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_CLOSE, 0, 0, 0, 0,
                                   owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!balloon_)
            return;
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        tool.hwnd = owner_;
        tool.lpszText = const_cast<wchar_t *>(L"");
        SendMessageW(balloon_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(balloon_, TTM_SETMAXTIPWIDTH, 0, 320);
    }
    text_ = Widen("Kalvor: " + message);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner_;
    tool.lpszText = text_.data();
    SendMessageW(balloon_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    RECT frame{};
    GetWindowRect(owner_, &frame);
    SendMessageW(balloon_, TTM_TRACKPOSITION, 0, MAKELPARAM(frame.left + 24, frame.bottom - 8));
    SendMessageW(balloon_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    shown = balloon_;
    if (hideTimer)
        KillTimer(nullptr, hideTimer); // the newest message gets its whole time
    hideTimer = SetTimer(nullptr, 0, ShownMilliseconds, Hide);
}

void CALLBACK Notice::Hide(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    hideTimer = 0;
    if (!shown || !IsWindow(shown))
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetWindow(shown, GW_OWNER);
    SendMessageW(shown, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}
