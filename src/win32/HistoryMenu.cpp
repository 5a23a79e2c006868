// The strip's clicks, its right-click menu and tooltip, and the dialogs the menu asks for.
#include "core/FenwoMain.h"
#include "core/history/PaletteFormats.h"
#include "core/history/StripGeometry.h"
#include "win32/FenwoMainWindow.h"

// windows.h after the core's headers: its RGB and CLR_INVALID macros would break them.
#include "platform/win32/Text.h"
#include "win32/HistoryMenu.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cwctype>

namespace {

// The question box's buttons in the window's language, whatever the system's is.
HHOOK buttonHook = nullptr;

LRESULT CALLBACK NameButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDYES, L"はい(&Y)");
        SetDlgItemTextW(box, IDNO, L"いいえ(&N)");
    }
    return CallNextHookEx(buttonHook, code, wParam, lParam);
}

bool EndsWith(std::wstring_view path, std::wstring_view extension) {
    if (path.size() <= extension.size() || path[path.size() - extension.size() - 1] != L'.')
        return false;
    return std::equal(extension.begin(), extension.end(), path.end() - extension.size(),
                      [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

} // namespace

void StripInput::Attach(HWND strip, HWND owner, FenwoMain &core) {
    strip_ = strip;
    owner_ = owner;
    core_ = &core;
    tooltip_ = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), nullptr);
    if (!tooltip_)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = strip; // TTN_GETDISPINFO comes to the strip
    tool.uId = reinterpret_cast<UINT_PTR>(strip);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600); // lines break at '\n'
}

std::int64_t StripInput::SwatchAt(POINT client, UINT dpi) const {
    // In the strip's 96-DPI pixels.
    const int x = MulDiv(client.x, 96, static_cast<int>(dpi));
    return SwatchUnder(x, core_->Strip().StripLeft(), core_->Swatches().Count());
}

bool StripInput::Handle(UINT message, WPARAM, LPARAM lParam, UINT dpi, LRESULT *result) {
    if (!core_)
        return false;
    *result = 0;
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_LBUTTONUP:
        if (const std::int64_t index = SwatchAt(at, dpi); index >= 0)
            core_->Picture3_Click(index);
        return true;
    case WM_CONTEXTMENU: // a right click, or the menu key
        TrackMenu(lParam, dpi);
        return true;
    case WM_MOUSEMOVE:
        // Another swatch: the tooltip asks its text again, or goes when there is none.
        if (const std::int64_t index = SwatchAt(at, dpi); index != tipSwatch_ && tooltip_) {
            tipSwatch_ = index;
            SendMessageW(tooltip_, index < 0 ? TTM_POP : TTM_UPDATE, 0, 0);
        }
        return false;
    case WM_NOTIFY: {
        auto *tip = reinterpret_cast<NMTTDISPINFOW *>(lParam);
        if (tip->hdr.hwndFrom != tooltip_ || tip->hdr.code != TTN_GETDISPINFOW)
            return false;
        POINT pointer{};
        GetCursorPos(&pointer);
        ScreenToClient(strip_, &pointer);
        tipText_ = Widen(core_->SwatchTip(SwatchAt(pointer, dpi)));
        tip->lpszText = tipText_.data();
        return true;
    }
    default:
        return false;
    }
}

void StripInput::TrackMenu(LPARAM at, UINT dpi) {
    POINT place{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    std::int64_t index = -1;
    if (at == -1) { // from the keyboard: below the strip, over no swatch
        RECT area{};
        GetWindowRect(strip_, &area);
        place = {area.left, area.bottom};
    } else {
        POINT client = place;
        ScreenToClient(strip_, &client);
        index = SwatchAt(client, dpi);
    }
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    for (const MenuEntry &entry : core_->StripMenuAt(index)) {
        if (entry.command == 0)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu,
                        MF_STRING | (entry.checked ? MF_CHECKED : MF_UNCHECKED) |
                            (entry.enabled ? MF_ENABLED : MF_GRAYED),
                        static_cast<UINT_PTR>(entry.command), Widen(entry.text).c_str());
    }
    SendMessageW(tooltip_, TTM_POP, 0, 0);
    const int command =
        static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                        place.x, place.y, 0, owner_, nullptr));
    DestroyMenu(menu);
    if (command != 0)
        core_->StripMenu_Click(command, index);
}

bool FenwoMainWindow::AskYesNo(const std::string &question) {
    buttonHook = SetWindowsHookExW(WH_CBT, NameButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(window_, Widen(question).c_str(), L"確認",
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (buttonHook)
        UnhookWindowsHookEx(buttonHook);
    buttonHook = nullptr;
    return answer == IDYES;
}

std::optional<WindowView::SaveChoice>
FenwoMainWindow::AskSavePath(std::span<const PaletteFormat> types) {
    if (types.empty())
        return std::nullopt;
    // "label (*.ext)", then "*.ext", each ended by a zero; a second zero ends the list.
    std::wstring filter;
    for (const PaletteFormat &type : types) {
        const std::wstring pattern = L"*." + Widen(type.extension);
        filter += Widen(type.label) + L" (" + pattern + L")";
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    }
    std::wstring path(32768, L'\0');
    const std::wstring initial = L"Kalvor." + Widen(types.front().extension);
    std::copy(initial.begin(), initial.end(), path.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = L"書き出し";
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&dialog))
        return std::nullopt;
    path.resize(wcslen(path.c_str()));
    // A name typed with a type's extension is of that type, whatever the list shows; a name
    // without one gets the type's. Not left to the dialog: some give every name the first's.
    std::size_t type = std::min<std::size_t>(dialog.nFilterIndex > 0 ? dialog.nFilterIndex - 1 : 0,
                                             types.size() - 1);
    const auto typed = std::find_if(types.begin(), types.end(), [&](const PaletteFormat &each) {
        return EndsWith(path, Widen(each.extension));
    });
    if (typed != types.end())
        type = static_cast<std::size_t>(typed - types.begin());
    else
        path += L"." + Widen(types[type].extension);
    return SaveChoice{Narrow(path), type};
}
