#pragma once

#include <windows.h>

// What the window needs to know of this desktop's scaling and fonts.

// Entry points of newer Windows versions, looked up so that older ones still run the program.
template <typename Function> Function User32(const char *name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// The desktop's DPI for window (the system's for nullptr).
UINT DpiOf(HWND window);
// The frame around a client area of that size, at that DPI, for a window of those styles.
RECT FrameFor(int clientWidth, int clientHeight, UINT dpi, DWORD style, DWORD exStyle);
// The font Windows uses for its message boxes, at that DPI.
LOGFONTW MessageFont(UINT dpi);
// An installed face that shows Japanese, best first.
const wchar_t *JapaneseFace();
// Whether font has glyphs for the window's Japanese captions.
bool ShowsJapanese(HFONT font);
