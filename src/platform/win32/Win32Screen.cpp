#include "platform/win32/Win32Screen.h"

#include "core/sampling/KeyState.h"
#include "platform/win32/Dib.h"
#include "platform/win32/SpaceWatch.h"

#include <windows.h>

#include <future>
#include <utility>
#include <vector>

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

ColourValue Win32Screen::GetPixel(std::uintptr_t desktop, ScreenPoint at) {
    return ReadSquare(desktop, at, 0).Centre();
}

namespace {

struct Monitors {
    RECT square;
    std::vector<RECT> parts; // of the square, each on a monitor
};

// Without a device context, each monitor comes with its whole rectangle.
BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT monitor, LPARAM data) {
    auto *monitors = reinterpret_cast<Monitors *>(data);
    RECT part{};
    if (IntersectRect(&part, monitor, &monitors->square))
        monitors->parts.push_back(part);
    return TRUE;
}

struct LayeredSearch {
    RECT area;
    bool found = false;
};

BOOL CALLBACK FindLayered(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<LayeredSearch *>(data);
    RECT rect{};
    RECT common{};
    if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) && IsWindowVisible(window) &&
        GetWindowRect(window, &rect) && IntersectRect(&common, &rect, &search->area)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// CAPTUREBLT brings layered (translucent) windows into a read where the read would otherwise
// leave them out, but the system hides the pointer during every such read, so that read a few
// times a second it flickers. Only a read with a layered window over it asks for them.
DWORD BlitFor(const RECT &area) {
    LayeredSearch search{area};
    EnumWindows(FindLayered, reinterpret_cast<LPARAM>(&search));
    return search.found ? SRCCOPY | CAPTUREBLT : SRCCOPY;
}

} // namespace

// The screen's own device context spans the whole virtual screen in screen coordinates, so
// monitors left of or above the primary one read at their negative positions. What lies between
// monitors or past the edge blits as black: only pixels on a monitor count as read.
PixelSquare Win32Screen::ReadSquare(std::uintptr_t, ScreenPoint centre, int reach) {
    PixelSquare square = UnreadSquare(centre, reach);
    const MonitorProfiles::Found profile = profiles_.At(centre);
    square.monitor = profile.monitor;
    square.profile = profile.profile;
    const int side = square.Side();
    Monitors monitors{
        {centre.x - reach, centre.y - reach, centre.x + reach + 1, centre.y + reach + 1}, {}};
    EnumDisplayMonitors(nullptr, &monitors.square, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.parts.empty())
        return square;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return square;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = TopDownDib(side, side);
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && dib && bits) {
        const HGDIOBJ old = SelectObject(memory, dib);
        // Only what lies on the monitors: wine gives nothing at all for a blit that starts or
        // ends beyond the screen.
        RECT on = monitors.parts.front();
        for (const RECT &part : monitors.parts)
            UnionRect(&on, &on, &part);
        const bool read = BitBlt(memory, on.left - monitors.square.left,
                                 on.top - monitors.square.top, on.right - on.left,
                                 on.bottom - on.top, screen, on.left, on.top, BlitFor(on)) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
        const auto *pixels = static_cast<const std::uint32_t *>(bits); // 0x00RRGGBB
        for (const RECT &part : read ? monitors.parts : std::vector<RECT>{})
            for (int y = part.top; y < part.bottom; ++y)
                for (int x = part.left; x < part.right; ++x) {
                    const auto at = static_cast<std::size_t>((y - monitors.square.top) * side + x -
                                                             monitors.square.left);
                    const std::uint32_t pixel = pixels[at];
                    square.pixels[at] = static_cast<ColourValue>(
                        RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));
                }
    }
    if (dib)
        DeleteObject(dib);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return square;
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
