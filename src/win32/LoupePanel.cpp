#include "win32/LoupePanel.h"

#include "core/FenwoMain.h"
#include "core/loupe/LoupeMenu.h"
#include "platform/win32/Dib.h"
#include "platform/win32/Text.h"

namespace {

void SetText(HWND control, const std::string &utf8) {
    const std::wstring wanted = Widen(utf8);
    wchar_t shown[128] = {};
    GetWindowTextW(control, shown, 128);
    if (wanted != shown)
        SetWindowTextW(control, wanted.c_str());
}

} // namespace

bool LoupePanel::RegisterPictureClass(HINSTANCE instance) {
    WNDCLASSEXW picture{};
    picture.cbSize = sizeof picture;
    picture.lpfnWndProc = PictureProc;
    picture.hInstance = instance;
    picture.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    picture.lpszClassName = PictureClass;
    return RegisterClassExW(&picture) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void LoupePanel::Attach(HWND picture, HWND position, HWND scale, FenwoMain &core) {
    picture_ = picture;
    position_ = position;
    scale_ = scale;
    core_ = &core;
    SetWindowLongPtrW(picture_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void LoupePanel::Show(bool visible) {
    for (HWND control : {picture_, position_, scale_})
        ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

void LoupePanel::Draw(const LoupePicture &picture) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t faceDib = static_cast<std::uint32_t>(GetRValue(face)) << 16 |
                                  static_cast<std::uint32_t>(GetGValue(face)) << 8 |
                                  GetBValue(face);
    side_ = picture.side;
    pixels_.resize(picture.pixels.size());
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        pixels_[i] = (picture.pixels[i] >> 24) == 0 ? faceDib : picture.pixels[i] & 0xFFFFFF;
    InvalidateRect(picture_, nullptr, FALSE);
    SetText(position_, picture.position);
    SetText(scale_, picture.scale);
}

bool LoupePanel::Wheel(WPARAM wParam, LPARAM lParam) {
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT area{};
    if (!IsWindowVisible(picture_) || !GetWindowRect(picture_, &area) || !PtInRect(&area, at))
        return false;
    wheel_ += GET_WHEEL_DELTA_WPARAM(wParam);
    const int steps = wheel_ / WHEEL_DELTA; // forward, away from the user: closer
    wheel_ -= steps * WHEEL_DELTA;
    if (steps != 0)
        core_->Picture5_MouseWheel(steps);
    return true;
}

void LoupePanel::Placed() {
    RECT area{};
    if (picture_ && core_ && GetClientRect(picture_, &area))
        core_->Picture5_Resize(area.right - area.left);
}

// One to one once the core has drawn for the box's size; nearest neighbour until then.
void LoupePanel::Paint(HDC dc, const RECT &area) const {
    if (side_ <= 0 || pixels_.size() != static_cast<std::size_t>(side_) * side_) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    BITMAPINFO info = TopDownDib(side_, side_);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, 0, 0,
                  side_, side_, pixels_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK LoupePanel::PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Its panel from Attach on.
    const auto *self =
        reinterpret_cast<const LoupePanel *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT area{};
        GetClientRect(window, &area);
        if (self)
            self->Paint(dc, area);
        else
            FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    default: // the wheel goes on to the window, which hands it back through Wheel
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void TrackLoupeMenu(HWND owner, HWND preview, LPARAM at, FenwoMain &core) {
    POINT place{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) { // from the keyboard: below the preview
        RECT area{};
        GetWindowRect(preview, &area);
        place = {area.left, area.bottom};
    }
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    for (const MenuEntry &entry : LoupeMenu(core.Loupe(), core.Space())) {
        if (entry.command == 0)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING | (entry.checked ? MF_CHECKED : MF_UNCHECKED),
                        static_cast<UINT_PTR>(entry.command), Widen(entry.text).c_str());
    }
    const int command = static_cast<int>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, place.x, place.y, 0, owner, nullptr));
    DestroyMenu(menu);
    if (command != 0)
        core.PreviewMenu_Click(command);
}
