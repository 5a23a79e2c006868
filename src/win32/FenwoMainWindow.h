#pragma once

#include "core/FenwoMain.h"
#include "core/WindowView.h"
#include "core/window/ControlLookup.h"
#include "win32/HistoryMenu.h"
#include "win32/LoupePanel.h"

#include <windows.h>

#include <functional>

class Win32Desktop;

// The window FenwoMain in plain Win32: standard controls placed in pixels at 96 DPI and scaled
// to the monitor's DPI. It draws what the core tells it and hands every event to the core's
// handler of the same name, which the program owns; no control keeps state of its own.
class FenwoMainWindow final : public WindowView {
  public:
    FenwoMainWindow(HINSTANCE instance, Win32Desktop &desktop);
    ~FenwoMainWindow() override;
    FenwoMainWindow(const FenwoMainWindow &) = delete;
    FenwoMainWindow &operator=(const FenwoMainWindow &) = delete;

    // The core to show and hand every event to: once, before Create. The core is made on this
    // window as its view, so it comes after it.
    void Attach(FenwoMain &core) { core_ = &core; }
    // Creates the window and its controls, hidden, then runs Form_Load.
    bool Create();
    // Shows the window and starts the sampling tick.
    void Show(int showCommand);
    // Keyboard navigation between the controls; true when the message was used up.
    bool PreTranslate(MSG &message);
    HWND Handle() const { return window_; }
    // Called once, when the window has painted for the first time.
    void OnFirstPaint(std::function<void()> callback) { firstPaint_ = std::move(callback); }

    // WindowView
    void ShowPreview(ColourValue colour) override;
    void ShowTexts(const ColourTexts &texts) override;
    void ShowHold(bool held) override;
    void ShowUpperCase(int value) override;
    void ShowFormat(int listIndex) override;
    void ShowPreviewTip(const std::string &text) override;
    void ShowHistory(const History &history, const StripScroll &strip) override;
    void ShowLoupePanel(bool visible) override;
    void ShowLoupe(const LoupePicture &picture) override;
    void SelectWholeText(TextField box) override;
    bool FocusCode() override;
    void SetTimerInterval(int milliseconds) override;
    void SetWindowTopmost() override;
    void MoveWindow(int x, int y) override;
    FrameSize WindowFrame() const override {
        const RECT frame = Frame();
        return {frame.right - frame.left, frame.bottom - frame.top, -frame.top};
    }
    void UseJapaneseFont() override;
    // In HistoryMenu.cpp: the strip's menu asks these.
    bool AskYesNo(const std::string &question) override;
    std::optional<SaveChoice> AskSavePath(std::span<const PaletteFormat> types) override;

  private:
    static LRESULT CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK PictureProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK FrameProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK StripProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMain(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(HWND control, int code);
    void OnScroll(int request);
    void CreateControls();
    void Layout();
    HWND Control(ControlId id) const; // the window of a row of the table; not FenwoMain
    template <typename Handle, typename Window>
    friend Handle ControlOfWindow(const Window &w, ControlId id); // reads the controls below
    void MakeFonts();
    void Close(int unloadMode);
    int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    RECT Frame() const; // the window's frame around the client area the core asks for
    void PaintPicture(HDC dc, const RECT &area, ColourValue colour) const;
    void PaintStrip(HDC dc, const RECT &area) const;
    HWND Child(HWND parent, const wchar_t *cls, const wchar_t *text, DWORD style,
               DWORD exStyle = 0);

    HINSTANCE instance_;
    Win32Desktop &desktop_;
    FenwoMain *core_ = nullptr;
    HWND window_ = nullptr; // FenwoMain: the fixed-size, always-on-top tool window

    // The controls, front to back as they stack; also their tab order.
    HWND Picture1 = nullptr; // preview swatch: the current colour; a click toggles the hold
    HWND Label3[3] = {};     // headings "R" (0), "B" (1), "G" (2) over the component boxes
    HWND Text1[3] = {};      // red, green and blue components in decimal
    HWND Text2 = nullptr;    // the colour code in the chosen format
    HWND Picture2 = nullptr; // history frame: holds the strip and its scroll bar
    HWND Picture4 = nullptr; // history strip: draws the swatches Picture3(i) at the offset
    HWND HScroll1 = nullptr; // slides the history strip one swatch a step
    HWND Check1 = nullptr;   // push-button frame around the preview: pressed while held
    HWND Label2 = nullptr;   // the instruction line
    HWND Combo1 = nullptr;   // output format chooser
    HWND Check2 = nullptr;   // upper-case option for the hexadecimal codes
    HWND Image1 = nullptr;   // the window's icon, shown beside the components
    HWND Image2 = nullptr;   // shows nothing
    HWND Picture5 = nullptr; // the loupe: the pixels around the sampled one, magnified
    HWND Label4 = nullptr;   // the sampled pixel's place in screen pixels
    HWND Label5 = nullptr;   // the loupe's zoom and the sample's size
    HWND tooltip_ = nullptr; // Picture1's tooltip
    LoupePanel panel_;       // draws into the three above; hands their events to the core
    StripInput strip_;       // Picture4's clicks, menu and tooltip, to the core
    static constexpr UINT_PTR Timer1 = 1; // the sampling tick

    UINT dpi_ = 96;
    HFONT uiFont_ = nullptr;       // the desktop's message font, at this window's DPI
    HFONT japaneseFont_ = nullptr; // for the list and the labels, after Form_Load
    bool japanese_ = false;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    ColourValue preview_ = COLOR_BTNFACE_REF;
    int updating_ = 0; // texts being set by the core, not typed
    bool closed_ = false;
    bool topmost_ = false;
    bool painted_ = false;
    std::function<void()> firstPaint_;
};
