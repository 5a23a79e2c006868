#include "win32/Win32Desktop.h"

#include "core/sampling/KeyState.h"
#include "win32/SettingsFolder.h"
#include "win32/SpaceWatch.h"
#include "win32/SwatchImage.h"
#include "win32/Text.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
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

HGLOBAL GlobalCopy(const void *bytes, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return nullptr;
    void *target = GlobalLock(memory);
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
    return memory;
}

void Offer(UINT format, const void *bytes, size_t size) {
    HGLOBAL memory = GlobalCopy(bytes, size);
    if (memory && !SetClipboardData(format, memory))
        GlobalFree(memory); // still ours when the clipboard did not take it
}

// Another program may hold the clipboard for a moment: clipboard history, a remote desktop
// and office suites do, for tens of milliseconds, sometimes a few hundred.
bool OpenClipboardSoon(HWND owner) {
    DWORD wait = 5;
    for (DWORD waited = 0;; waited += wait, wait = wait < 80 ? wait * 2 : wait) {
        if (OpenClipboard(owner))
            return true;
        if (waited >= 600)
            return false;
        Sleep(wait);
    }
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT &work = info.rcWork;
        reinterpret_cast<std::vector<ScreenRect> *>(data)->push_back(
            {work.left, work.top, work.right - work.left, work.bottom - work.top});
    }
    return TRUE;
}

} // namespace

SwatchColours SystemSwatchColours() {
    const auto pixel = [](int index) {
        return PixelOf(static_cast<ColourValue>(GetSysColor(index)));
    };
    return {pixel(COLOR_BTNFACE), pixel(COLOR_WINDOWTEXT), pixel};
}

Win32Desktop::Win32Desktop() {
    spaceWatch.Reset((::GetAsyncKeyState(VK_SPACE) & 0x8000) != 0);
    std::promise<std::pair<DWORD, bool>> started;
    auto result = started.get_future();
    hookThread_ = std::thread(HookLoop, std::move(started));
    const auto [thread, installed] = result.get();
    hookThreadId_ = thread;
    hookInstalled_ = installed;
}

Win32Desktop::~Win32Desktop() {
    PostThreadMessageW(hookThreadId_, WM_QUIT, 0, 0);
    hookThread_.join();
}

std::uintptr_t Win32Desktop::GetDesktopWindow() {
    return reinterpret_cast<std::uintptr_t>(::GetDesktopWindow());
}

std::optional<ScreenPoint> Win32Desktop::GetCursorPos() {
    POINT point{};
    if (!::GetCursorPos(&point))
        return std::nullopt;
    return ScreenPoint{point.x, point.y};
}

// The screen's own device context spans the whole virtual screen in screen coordinates, so
// monitors left of or above the primary one read at their negative positions.
ColourValue Win32Desktop::GetPixel(std::uintptr_t, ScreenPoint at) {
    HDC screen = GetDC(nullptr);
    if (!screen)
        return CLR_INVALID;
    const COLORREF colour = ::GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return static_cast<ColourValue>(colour);
}

std::uint16_t Win32Desktop::GetAsyncKeyState(int virtualKey) {
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

void Win32Desktop::CopyToClipboard(const std::string &text, ColourValue swatch) {
    HWND owner = reinterpret_cast<HWND>(owner_);
    if (!OpenClipboardSoon(owner)) {
        Say("the clipboard is busy (another program holds it): nothing copied");
        return;
    }
    EmptyClipboard();
    const std::wstring wide = Widen(text);
    Offer(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    const std::string ansi = ToAnsiCodePage(text);
    Offer(CF_TEXT, ansi.c_str(), ansi.size() + 1);
    constexpr int Size = 33; // the preview's inner size at 96 DPI
    const std::vector<unsigned char> dib =
        PackedDib(SwatchPixels(swatch, Size, Size, SystemSwatchColours()), Size, Size);
    Offer(CF_DIB, dib.data(), dib.size());
    CloseClipboard();
}

std::vector<ScreenRect> Win32Desktop::Screens() {
    std::vector<ScreenRect> screens;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&screens));
    return screens;
}

std::string Win32Desktop::SettingsFolder() {
    if (settingsFolder_.empty())
        settingsFolder_ = SettingsFolderOfThisProgram();
    return settingsFolder_;
}

std::string Win32Desktop::DecimalSeparator() {
    wchar_t separator[8] = {};
    if (!GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8))
        return ".";
    return Narrow(separator);
}

double Win32Desktop::TwipsPerPixel() {
    // A twip is 1/1440 inch; the process is DPI aware, so its pixels are the system's.
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

void Win32Desktop::Say(const std::string &message) {
    if (notice_)
        notice_(message);
    const std::string line = "kalvor: " + message + "\n";
    OutputDebugStringW(Widen(line).c_str());
    if (HANDLE err = GetStdHandle(STD_ERROR_HANDLE); err && err != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

ClipboardContents ReadClipboard() {
    ClipboardContents contents;
    if (!OpenClipboardSoon(nullptr))
        return contents;
    contents.opened = true;
    contents.formats = CountClipboardFormats();
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *text = static_cast<const wchar_t *>(GlobalLock(data))) {
            contents.unicodeText = Narrow(text);
            GlobalUnlock(data);
        }
    }
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const auto *text = static_cast<const char *>(GlobalLock(data))) {
            contents.ansiText = text;
            GlobalUnlock(data);
        }
    }
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        if (const auto *header = static_cast<const BITMAPINFOHEADER *>(GlobalLock(data))) {
            contents.dibWidth = header->biWidth;
            contents.dibHeight = header->biHeight;
            contents.dibBits = header->biBitCount;
            if (header->biBitCount == 24 && header->biCompression == BI_RGB) {
                const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
                const int stride = (header->biWidth * 3 + 3) & ~3;
                const auto *bits = reinterpret_cast<const unsigned char *>(header) +
                                   header->biSize + header->biClrUsed * 4;
                const unsigned char *pixel =
                    bits + (height / 2) * stride + (header->biWidth / 2) * 3;
                contents.dibCentre = (static_cast<std::uint32_t>(pixel[2]) << 16) |
                                     (static_cast<std::uint32_t>(pixel[1]) << 8) | pixel[0];
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return contents;
}
