#include "win32/Win32Desktop.h"

#include "platform/win32/SettingsFolder.h"
#include "platform/win32/Text.h"
#include "win32/SwatchImage.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

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
