#include "win32/FenwoMainWindow.h"

#include "core/colour/CodeFormats.h"
#include "core/history/History.h"
#include "core/history/StripGeometry.h"
#include "core/window/WindowLayout.h"
#include "platform/win32/Dib.h"
#include "platform/win32/Text.h"
#include "win32/DisplayMetrics.h"
#include "win32/SwatchImage.h"
#include "win32/Win32Desktop.h"
#include "win32/resource.h"

#include <commctrl.h>

#include <iterator>
#include <utility>

namespace {

constexpr wchar_t MainClass[] = L"KalvorFenwoMain";
constexpr wchar_t PictureClass[] = L"KalvorPicture";
constexpr wchar_t FrameClass[] = L"KalvorFrame";
constexpr wchar_t StripClass[] = L"KalvorStrip";
constexpr DWORD MainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD MainExStyle = WS_EX_CONTROLPARENT;
constexpr int ScrollPage = SwatchesInFrame;
constexpr int ComboHeight = 200; // a drop-down list's window holds its dropped list too

FenwoMainWindow *Owner(HWND window) {
    return reinterpret_cast<FenwoMainWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Answers WM_PAINT: paint gets the device context and the whole client area.
template <typename Painter> void PaintWith(HWND window, Painter paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT area{};
    GetClientRect(window, &area);
    paint(dc, area);
    EndPaint(window, &ps);
}

// The same for a control of ours, which learns its owner from its creation message.
FenwoMainWindow *Owner(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams));
    return Owner(window);
}

std::wstring CaptionOf(ControlId id) {
    return Widen(ControlOf(id).caption);
}

} // namespace

FenwoMainWindow::FenwoMainWindow(HINSTANCE instance, Win32Desktop &desktop)
    : instance_(instance), desktop_(desktop) {}

FenwoMainWindow::~FenwoMainWindow() {
    if (window_)
        DestroyWindow(window_);
    for (HFONT font : {uiFont_, japaneseFont_})
        if (font)
            DeleteObject(font);
}

bool FenwoMainWindow::Create() {
    icon_ =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_KALVOR), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_KALVOR), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = MainProc;
    main.hInstance = instance_;
    main.hIcon = icon_;
    main.hIconSm = smallIcon_;
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = MainClass;
    WNDCLASSEXW picture = main;
    picture.lpfnWndProc = PictureProc;
    picture.hIcon = picture.hIconSm = nullptr;
    picture.lpszClassName = PictureClass;
    WNDCLASSEXW frame = picture;
    frame.lpfnWndProc = FrameProc;
    frame.lpszClassName = FrameClass;
    WNDCLASSEXW strip = picture;
    strip.lpfnWndProc = StripProc;
    strip.lpszClassName = StripClass;
    for (const WNDCLASSEXW *cls : {&main, &picture, &frame, &strip})
        if (!RegisterClassExW(cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    if (!LoupePanel::RegisterPictureClass(instance_))
        return false;

    dpi_ = DpiOf(nullptr);
    const RECT size = Frame();
    window_ = CreateWindowExW(MainExStyle, MainClass, L"Kalvor", MainStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, size.right - size.left, size.bottom - size.top,
                              nullptr, nullptr, instance_, this);
    if (!window_)
        return false;
    desktop_.SetClipboardOwner(reinterpret_cast<std::uintptr_t>(window_));
    // Topmost before the tooltip, a topmost popup of its own, exists: wine keeps the window
    // under it otherwise, and not topmost at all.
    SetWindowTopmost();
    // The monitor the window landed on may have another DPI than the primary one.
    if (const UINT dpi = DpiOf(window_); dpi != dpi_) {
        dpi_ = dpi;
        const RECT scaled = Frame();
        SetWindowPos(window_, nullptr, 0, 0, scaled.right - scaled.left, scaled.bottom - scaled.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateControls();
    MakeFonts();
    Layout();
    RECT placed{};
    GetWindowRect(window_, &placed);
    core_->Form_Moved(placed.left, placed.top);
    core_->Form_Load();
    return true;
}

void FenwoMainWindow::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    if (topmost_) // wine forgets it for a window that was hidden when it was set
        SetWindowTopmost();
    UpdateWindow(window_);
    SetFocus(Picture1);
    SetTimer(window_, Timer1, static_cast<UINT>(core_->TimerInterval()), nullptr);
}

HWND FenwoMainWindow::Child(HWND parent, const wchar_t *cls, const wchar_t *text, DWORD style,
                            DWORD exStyle) {
    // Created in tab order: each new sibling goes below the ones before it, so Picture1 lies
    // over Check1, its frame.
    return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0,
                           0, 0, 0, parent, nullptr, instance_, this);
}

void FenwoMainWindow::CreateControls() {
    Picture1 = Child(window_, PictureClass, L"", WS_TABSTOP);
    Label3[0] = Child(window_, L"STATIC", CaptionOf(ControlId::Label3_0).c_str(), SS_CENTER);
    Text1[0] =
        Child(window_, L"EDIT", L"", WS_TABSTOP | ES_RIGHT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    Label3[2] = Child(window_, L"STATIC", CaptionOf(ControlId::Label3_2).c_str(), SS_CENTER);
    Text1[1] =
        Child(window_, L"EDIT", L"", WS_TABSTOP | ES_RIGHT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    Label3[1] = Child(window_, L"STATIC", CaptionOf(ControlId::Label3_1).c_str(), SS_CENTER);
    Text1[2] =
        Child(window_, L"EDIT", L"", WS_TABSTOP | ES_RIGHT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    Text2 = Child(window_, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    Picture2 = Child(window_, FrameClass, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    Picture4 = Child(Picture2, StripClass, L"", 0);
    strip_.Attach(Picture4, window_, *core_);
    HScroll1 = Child(Picture2, L"SCROLLBAR", L"", WS_TABSTOP | SBS_HORZ);
    Check1 = Child(window_, L"BUTTON", L"", BS_CHECKBOX | BS_PUSHLIKE);
    Label2 = Child(window_, L"STATIC", CaptionOf(ControlId::Label2).c_str(), SS_CENTER);
    Combo1 = Child(window_, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST);
    Check2 =
        Child(window_, L"BUTTON", CaptionOf(ControlId::Check2).c_str(), WS_TABSTOP | BS_3STATE);
    Image1 = Child(window_, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE);
    Image2 = Child(window_, L"STATIC", L"", 0);
    // The loupe panel, hidden until the core shows it.
    Picture5 = Child(window_, LoupePanel::PictureClass, L"", 0);
    Label4 = Child(window_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX);
    Label5 = Child(window_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX);
    panel_.Attach(Picture5, Label4, Label5, *core_);
    panel_.Show(false);

    for (const CodeFormat &format : ListFormats())
        SendMessageW(Combo1, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Widen(format.label).c_str()));
    SendMessageW(Combo1, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EnableWindow(HScroll1, FALSE);
    SendMessageW(Image1, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);

    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                               nullptr, instance_, nullptr);
    // A width makes the tooltip break its lines at '\n': the tip, then what the numbers are.
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 480);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Picture1);
    std::wstring tip = Widen(ControlOf(ControlId::Picture1).tip);
    tool.lpszText = tip.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void FenwoMainWindow::ShowPreviewTip(const std::string &text) {
    if (tooltip_ == nullptr)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Picture1);
    std::wstring tip = Widen(text);
    tool.lpszText = tip.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND FenwoMainWindow::Control(ControlId id) const {
    return ControlOfWindow<HWND>(*this, id);
}

RECT FenwoMainWindow::Frame() const {
    return FrameFor(Scale(FenwoMain::ScaleWidth), Scale(core_->ClientAreaHeight()), dpi_, MainStyle,
                    MainExStyle);
}

// The design's pixels at 96 DPI, scaled to the monitor's DPI. The stacking stays the creation's.
void FenwoMainWindow::Layout() {
    for (const WindowControl &control : WindowControls()) {
        PixelRect r = control.rect;
        if (control.id == ControlId::Picture4) // under the scroll bar here: stop where it starts
            r.height = ControlOf(ControlId::HScroll1).rect.top - r.top;
        else if (control.id == ControlId::Combo1)
            r.height = ComboHeight;
        SetWindowPos(Control(control.id), nullptr, Scale(r.left), Scale(r.top), Scale(r.width),
                     Scale(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The closed list is as high as its row: its selection field plus the border.
    SendMessageW(Combo1, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                 Scale(ControlOf(ControlId::Combo1).rect.height) - 6);
    panel_.Placed();
}

void FenwoMainWindow::MakeFonts() {
    LOGFONTW face = MessageFont(dpi_);
    HFONT ui = CreateFontIndirectW(&face);
    if (!ShowsJapanese(ui)) {
        // The window's texts are Japanese: a desktop font without those glyphs would show boxes.
        DeleteObject(ui);
        LOGFONTW japaneseUi = face;
        japaneseUi.lfCharSet = SHIFTJIS_CHARSET;
        wcsncpy(japaneseUi.lfFaceName, JapaneseFace(), LF_FACESIZE - 1);
        japaneseUi.lfFaceName[LF_FACESIZE - 1] = L'\0';
        ui = CreateFontIndirectW(&japaneseUi);
    }
    HFONT japanese = nullptr;
    if (japanese_) {
        face.lfCharSet = SHIFTJIS_CHARSET;
        wcsncpy(face.lfFaceName, JapaneseFace(), LF_FACESIZE - 1);
        face.lfFaceName[LF_FACESIZE - 1] = L'\0';
        japanese = CreateFontIndirectW(&face);
    }
    HWND defaults[] = {Picture1, Text1[0], Text1[1],  Text1[2],  Text2,     Check1, Check2,
                       Combo1,   Label2,   Label3[0], Label3[1], Label3[2], Label4, Label5};
    for (HWND control : defaults)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ui), TRUE);
    if (japanese)
        for (const WindowControl &control : WindowControls())
            if (control.font == ControlFont::Japanese)
                SendMessageW(Control(control.id), WM_SETFONT, reinterpret_cast<WPARAM>(japanese),
                             TRUE);
    for (HFONT old : {uiFont_, japaneseFont_})
        if (old)
            DeleteObject(old);
    uiFont_ = ui;
    japaneseFont_ = japanese;
}

bool FenwoMainWindow::PreTranslate(MSG &message) {
    // Space belongs to the hold wherever it is typed: on the buttons it would click them too.
    const bool spaceKey = ((message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
                           message.wParam == VK_SPACE) ||
                          (message.message == WM_CHAR && message.wParam == L' ');
    if (spaceKey && (message.hwnd == Check1 || message.hwnd == Check2 || message.hwnd == Picture1))
        return true;
    return window_ && IsDialogMessageW(window_, &message);
}

// WindowView: the core states what the controls show.

void FenwoMainWindow::ShowPreview(ColourValue colour) {
    if (colour == preview_)
        return; // the same pixels: spare the repaint every 50 ms
    preview_ = colour;
    InvalidateRect(Picture1, nullptr, FALSE);
}

void FenwoMainWindow::ShowTexts(const ColourTexts &texts) {
    const std::string *values[] = {&texts.red, &texts.green, &texts.blue, &texts.code};
    HWND boxes[] = {Text1[0], Text1[1], Text1[2], Text2};
    ++updating_;
    for (int i = 0; i < 4; ++i) {
        const std::wstring wanted = Widen(*values[i]);
        wchar_t shown[64] = {};
        GetWindowTextW(boxes[i], shown, 64);
        if (wanted != shown)
            SetWindowTextW(boxes[i], wanted.c_str());
    }
    --updating_;
}

void FenwoMainWindow::ShowHold(bool held) {
    SendMessageW(Check1, BM_SETCHECK, held ? BST_CHECKED : BST_UNCHECKED, 0);
}

void FenwoMainWindow::ShowUpperCase(int value) {
    const WPARAM state = value == 0 ? BST_UNCHECKED : value == 1 ? BST_CHECKED : BST_INDETERMINATE;
    SendMessageW(Check2, BM_SETCHECK, state, 0);
}

void FenwoMainWindow::ShowFormat(int listIndex) {
    SendMessageW(Combo1, CB_SETCURSEL, static_cast<WPARAM>(listIndex), 0);
}

void FenwoMainWindow::ShowHistory(const History &, const StripScroll &history) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = history.ScrollMax() + ScrollPage - 1; // positions run 0..ScrollMax
    info.nPage = ScrollPage;
    info.nPos = history.ScrollValue();
    SetScrollInfo(HScroll1, SB_CTL, &info, TRUE);
    EnableWindow(HScroll1, history.ScrollEnabled());
    InvalidateRect(Picture4, nullptr, FALSE);
}

// The frame grows or shrinks at the bottom: its top-left corner stays.
void FenwoMainWindow::ShowLoupePanel(bool visible) {
    panel_.Show(visible);
    const RECT frame = Frame();
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FenwoMainWindow::ShowLoupe(const LoupePicture &picture) {
    panel_.Draw(picture);
}

void FenwoMainWindow::SelectWholeText(TextField box) {
    HWND boxes[] = {Text1[0], Text1[1], Text1[2], Text2};
    SendMessageW(boxes[box], EM_SETSEL, 0, -1);
}

bool FenwoMainWindow::FocusCode() {
    if (!IsWindowVisible(window_) || !IsWindowVisible(Text2))
        return false;
    SetFocus(Text2);
    return true;
}

void FenwoMainWindow::SetTimerInterval(int milliseconds) {
    if (IsWindowVisible(window_))
        SetTimer(window_, Timer1, static_cast<UINT>(milliseconds), nullptr);
}

void FenwoMainWindow::SetWindowTopmost() {
    topmost_ = true;
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FenwoMainWindow::MoveWindow(int x, int y) {
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FenwoMainWindow::UseJapaneseFont() {
    japanese_ = true;
    MakeFonts();
}

// Events, each handed to the core's handler of the same name.

void FenwoMainWindow::OnCommand(HWND control, int code) {
    if (control == Check1 && code == BN_CLICKED) {
        core_->Check1_Click();
    } else if (control == Check2 && code == BN_CLICKED) {
        core_->Check2_Click();
    } else if (control == Combo1 && code == CBN_SELCHANGE) {
        core_->Combo1_Click(static_cast<int>(SendMessageW(Combo1, CB_GETCURSEL, 0, 0)));
    } else if (control == Text2) {
        if (code == EN_SETFOCUS)
            core_->Text2_GotFocus();
        else if (code == EN_CHANGE && !updating_) {
            wchar_t text[256] = {};
            GetWindowTextW(Text2, text, 256);
            core_->Text2_Change(Narrow(text));
        }
    } else {
        for (int i = 0; i < 3; ++i) {
            if (control != Text1[i])
                continue;
            if (code == EN_SETFOCUS)
                core_->Text1_GotFocus(i);
            else if (code == EN_CHANGE && !updating_) {
                wchar_t text[256] = {};
                GetWindowTextW(Text1[i], text, 256);
                core_->Text1_Change(i, Narrow(text));
            }
        }
    }
}

void FenwoMainWindow::OnScroll(int request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(HScroll1, SB_CTL, &info);
    const int max = core_->Strip().ScrollMax();
    int value = info.nPos;
    switch (request) {
    case SB_THUMBTRACK:
        core_->HScroll1_Scroll(info.nTrackPos);
        return;
    case SB_THUMBPOSITION:
        value = info.nTrackPos;
        break;
    case SB_LINELEFT:
        value -= 1;
        break;
    case SB_LINERIGHT:
        value += 1;
        break;
    case SB_PAGELEFT:
        value -= ScrollPage;
        break;
    case SB_PAGERIGHT:
        value += ScrollPage;
        break;
    case SB_LEFT:
        value = 0;
        break;
    case SB_RIGHT:
        value = max;
        break;
    default:
        return;
    }
    value = value < 0 ? 0 : value > max ? max : value;
    if (value != info.nPos || request == SB_THUMBPOSITION)
        core_->HScroll1_Change(value);
}

void FenwoMainWindow::Close(int unloadMode) {
    if (closed_)
        return;
    closed_ = true;
    int cancel = 0;
    core_->Form_QueryUnload(cancel, unloadMode);
    DestroyWindow(window_);
}

LRESULT FenwoMainWindow::OnMain(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == Timer1)
            core_->Timer1_Timer();
        return 0;
    case WM_COMMAND:
        if (lParam)
            OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_WINDOWPOSCHANGED:
        if (!IsIconic(window_)) {
            RECT frame{};
            GetWindowRect(window_, &frame);
            core_->Form_Moved(frame.left, frame.top);
        }
        break;
    case WM_MOUSEWHEEL:
        if (panel_.Wheel(wParam, lParam))
            return 0;
        break;
    case WM_SIZE:
        core_->Form_StateChanged(wParam == SIZE_MINIMIZED ? 1 : wParam == SIZE_MAXIMIZED ? 2 : 0);
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        const RECT frame = Frame();
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, frame.right - frame.left,
                     frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
        MakeFonts();
        Layout();
        InvalidateRect(window_, nullptr, TRUE);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window_, &paint);
        EndPaint(window_, &paint);
        if (!painted_) {
            painted_ = true;
            if (firstPaint_)
                firstPaint_();
        }
        return 0;
    }
    case WM_CLOSE:
        Close(0); // the close box or the system menu
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The process may end as soon as this returns: save now, as a close would.
        if (wParam)
            Close(2);
        return 0;
    case WM_DESTROY:
        KillTimer(window_, Timer1);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK FenwoMainWindow::MainProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto *self = static_cast<FenwoMainWindow *>(
            reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        // Per-monitor DPI awareness v1 scales nothing by itself; v2 would, for the frame.
        static const auto scaling = User32<BOOL(WINAPI *)(HWND)>("EnableNonClientDpiScaling");
        if (scaling)
            scaling(window);
    }
    FenwoMainWindow *self = Owner(window);
    if (!self || !self->window_)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->OnMain(message, wParam, lParam);
}

void FenwoMainWindow::PaintPicture(HDC dc, const RECT &area, ColourValue colour) const {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    const std::vector<std::uint32_t> pixels =
        SwatchPixels(colour, width, height, SystemSwatchColours());
    BITMAPINFO info = TopDownDib(width, height);
    SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(width),
                      static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(height), pixels.data(),
                      &info, DIB_RGB_COLORS);
}

LRESULT CALLBACK FenwoMainWindow::PictureProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    FenwoMainWindow *self = Owner(window, message, lParam);
    switch (message) {
    case WM_PAINT:
        PaintWith(window, [self](HDC dc, const RECT &area) {
            if (self)
                self->PaintPicture(dc, area, self->preview_);
        });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        SetFocus(window);
        return 0;
    case WM_LBUTTONUP: {
        if (GetCapture() != window)
            return 0;
        ReleaseCapture();
        RECT area{};
        GetClientRect(window, &area);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (self && PtInRect(&area, at))
            self->core_->Picture1_Click();
        return 0;
    }
    case WM_CONTEXTMENU: // a right click, Shift+F10 or the menu key
        if (self)
            TrackLoupeMenu(self->window_, window, lParam, *self->core_);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK FenwoMainWindow::FrameProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    FenwoMainWindow *self = Owner(window, message, lParam);
    if (message == WM_HSCROLL && self && reinterpret_cast<HWND>(lParam) == self->HScroll1) {
        self->OnScroll(LOWORD(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void FenwoMainWindow::PaintStrip(HDC dc, const RECT &area) const {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    const History &history = core_->Swatches();
    const std::int64_t count = history.Count();
    if (count == 0)
        return; // swatch 0 stays hidden until the first capture
    const std::int64_t stripLeft = core_->Strip().StripLeft();
    const SwatchSpan span =
        SwatchesInView(stripLeft, count, ControlOf(ControlId::Picture4).rect.width);
    for (std::int64_t i = span.first; i <= span.last; ++i) {
        const int left = Scale(static_cast<int>(stripLeft + SwatchLeft(i)));
        RECT swatch{left, 0, left + Scale(SwatchSize), Scale(SwatchSize)};
        DrawEdge(dc, &swatch, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        PaintPicture(dc, swatch, history.Swatch(i));
    }
}

LRESULT CALLBACK FenwoMainWindow::StripProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    FenwoMainWindow *self = Owner(window, message, lParam);
    switch (message) {
    case WM_PAINT:
        PaintWith(window, [self](HDC dc, const RECT &area) {
            if (self)
                self->PaintStrip(dc, area);
        });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default: {
        LRESULT result = 0;
        if (self && self->strip_.Handle(message, wParam, lParam, self->dpi_, &result))
            return result;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    }
}
