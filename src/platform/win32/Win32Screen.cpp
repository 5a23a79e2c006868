#include "platform/win32/Win32Screen.h"

#include "core/sampling/KeyState.h"
#include "platform/win32/SpaceWatch.h"

#include <windows.h>

#include <future>
#include <utility>

namespace {

// The hook procedure has no context of its own: one watch for the one hook of the process.
SpaceWatch spaceWatch;

constexpr UINT ReinstallHook = WM_APP + 1;
// Windows drops a low-level hook that once answered too slowly, and says nothing. Besides the
// tick's own check (Space down with no press seen), a fresh hook replaces the old one now and
// then, so that even taps too short for any tick to see come back within this time.
constexpr UINT RenewHookMilliseconds = 30000;

// Sees every key press on the desktop, whatever window has the focus, and always passes it on:
// Space still reaches the program the user typed it into.
LRESULT CALLBACK SpaceHook(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) {
        const auto *key = reinterpret_cast<const KBDLLHOOKSTRUCT *>(data);
        if (key->vkCode == VK_SPACE) {
            if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
                spaceWatch.KeyDown();
            else if (message == WM_KEYUP || message == WM_SYSKEYUP)
                spaceWatch.KeyUp();
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

HHOOK InstallHook() {
    return SetWindowsHookExW(WH_KEYBOARD_LL, SpaceHook, GetModuleHandleW(nullptr), 0);
}

// The hook's own thread: the system calls the hook through this thread's message loop, which
// does nothing else, so no key press anywhere waits on the window (its start-up, a busy
// clipboard) and the system never finds the hook too slow.
void HookLoop(std::promise<std::pair<DWORD, bool>> started) {
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // the queue, for posts
    HHOOK hook = InstallHook();
    started.set_value({GetCurrentThreadId(), hook != nullptr});
    const UINT_PTR renew = SetTimer(nullptr, 0, RenewHookMilliseconds, nullptr);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == ReinstallHook || message.message == WM_TIMER) {
            if (HHOOK fresh = InstallHook()) {
                if (hook)
                    UnhookWindowsHookEx(hook);
                hook = fresh;
            }
        }
    }
    KillTimer(nullptr, renew);
    if (hook)
        UnhookWindowsHookEx(hook);
}

} // namespace

Win32Screen::Win32Screen(bool watchSpace) {
    if (!watchSpace)
        return;
    spaceWatch.Reset((::GetAsyncKeyState(VK_SPACE) & 0x8000) != 0);
    std::promise<std::pair<DWORD, bool>> started;
    auto result = started.get_future();
    hookThread_ = std::thread(HookLoop, std::move(started));
    const auto [thread, installed] = result.get();
    hookThreadId_ = thread;
    hookInstalled_ = installed;
}

Win32Screen::~Win32Screen() {
    if (!hookThread_.joinable())
        return;
    PostThreadMessageW(hookThreadId_, WM_QUIT, 0, 0);
    hookThread_.join();
}

std::uintptr_t Win32Screen::GetDesktopWindow() {
    return reinterpret_cast<std::uintptr_t>(::GetDesktopWindow());
}

std::optional<ScreenPoint> Win32Screen::GetCursorPos() {
    POINT point{};
    if (!::GetCursorPos(&point))
        return std::nullopt;
    return ScreenPoint{point.x, point.y};
}

// The screen's own device context spans the whole virtual screen in screen coordinates, so
// monitors left of or above the primary one read at their negative positions.
ColourValue Win32Screen::GetPixel(std::uintptr_t, ScreenPoint at) {
    HDC screen = GetDC(nullptr);
    if (!screen)
        return CLR_INVALID;
    const COLORREF colour = ::GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return static_cast<ColourValue>(colour);
}

std::uint16_t Win32Screen::GetAsyncKeyState(int virtualKey) {
    if (virtualKey != VK_SPACE)
        return 0;
    const bool downNow = (::GetAsyncKeyState(VK_SPACE) & 0x8000) != 0;
    if (!hookInstalled_)
        return downNow ? KeyDownNow : 0;
    const SpaceWatch::Answer answer = spaceWatch.Query(downNow);
    if (answer.hookMissedPress)
        PostThreadMessageW(hookThreadId_, ReinstallHook, 0, 0);
    return answer.state;
}
