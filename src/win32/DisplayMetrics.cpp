#include "win32/DisplayMetrics.h"

#include <cwchar>

namespace {

int CALLBACK FaceFound(const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM found) {
    *reinterpret_cast<bool *>(found) = true;
    return 0;
}

bool FaceInstalled(const wchar_t *face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

} // namespace

UINT DpiOf(HWND window) {
    static const auto forWindow = User32<UINT(WINAPI *)(HWND)>("GetDpiForWindow");
    if (forWindow && window)
        if (const UINT dpi = forWindow(window))
            return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

RECT FrameFor(int clientWidth, int clientHeight, UINT dpi, DWORD style, DWORD exStyle) {
    RECT frame{0, 0, clientWidth, clientHeight};
    static const auto forDpi =
        User32<BOOL(WINAPI *)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&frame, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return frame;
}

LOGFONTW MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    static const auto forDpi =
        User32<BOOL(WINAPI *)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return metrics.lfMessageFont;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfHeight =
        MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), DpiOf(nullptr));
    return metrics.lfMessageFont;
}

// The face the labels and the list were drawn for, then the Japanese UI faces Windows ships,
// then what a Linux desktop under wine offers.
const wchar_t *JapaneseFace() {
    static const wchar_t *const faces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"MS UI Gothic",
                                           L"Yu Gothic UI",    L"Meiryo UI",  L"IPAPGothic",
                                           L"Noto Sans CJK JP"};
    for (const wchar_t *face : faces)
        if (FaceInstalled(face))
            return face;
    return faces[0]; // the font mapper picks the nearest Shift-JIS face
}

bool ShowsJapanese(HFONT font) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    WORD glyphs[3] = {};
    const DWORD done = GetGlyphIndicesW(screen, L"大文字", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return done == 3 && glyphs[0] != 0xFFFF && glyphs[1] != 0xFFFF && glyphs[2] != 0xFFFF;
}
