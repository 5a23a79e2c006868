#pragma once

#include "core/Desktop.h"
#include "core/WindowView.h"
#include "core/colour/CodeText.h"
#include "core/history/History.h"
#include "core/loupe/LoupePicture.h"
#include "core/loupe/LoupeSettings.h"
#include "core/sampling/PixelSquare.h"
#include "core/settings/IniMod.h"
#include "core/window/WindowLayout.h"

#include <cstdint>
#include <set>
#include <string>

// The window's logic: its state and the handlers of its events. Front-ends draw what it tells
// its WindowView and forward every event to the handler of the same name; the desktop it reads
// comes in through Desktop, the settings file through the program's IniMod. Nothing here
// knows a toolkit or a window system.
class FenwoMain {
  public:
    static constexpr int ScaleWidth = ClientWidth; // client area, in pixels at 96 DPI
    static constexpr int ScaleHeight = ClientHeight;
    static constexpr int SamplingPeriod = 50; // ms between ticks while sampling
    static constexpr int HeldPeriod = 200;    // ms between ticks while held

    FenwoMain(WindowView &view, Desktop &desktop, IniMod &settings);
    ~FenwoMain();
    FenwoMain(const FenwoMain &) = delete;
    FenwoMain &operator=(const FenwoMain &) = delete;

    // What the window shows; front-ends read these to draw.
    ColourValue PreviewColour() const { return preview_; }
    const ColourTexts &Texts() const { return texts_; }
    bool Held() const { return held_; }
    int UpperCase() const { return upperCase_; }
    int ListIndex() const { return listIndex_; }
    const History &Swatches() const { return history_; }
    int TimerInterval() const { return held_ ? HeldPeriod : SamplingPeriod; }
    std::uintptr_t DesktopWnd() const { return desktopWnd_; }
    const LoupeSettings &Loupe() const { return loupe_; }
    // The client area's height: taller by the loupe panel while it shows.
    int ClientAreaHeight() const;

    // Position of the window's frame in twips (15 to a pixel at 96 DPI), as the settings file
    // keeps it; the window state: 0 normal, 1 minimised, 2 maximised.
    float Left() const;
    float Top() const;
    int WindowState() const { return windowState_; }

    // Start-up and shutdown. Form_Load runs once, before the window first shows; every close
    // runs Form_QueryUnload, which saves the settings in one write.
    void Form_Load();
    void Form_QueryUnload(int &Cancel, int UnloadMode);
    // The window was moved to (x, y), or its state changed, by the user or the window manager.
    void Form_Moved(int x, int y);
    void Form_StateChanged(int windowState);
    // Where the desktop never tells a window its place, closes keep the stored position.
    void PositionUnknowable() { positionKnown_ = false; }

    // Colour presenter.
    void ShowColor(ColourValue colour);
    void Check2_Click(); // the user clicked the upper-case box
    void Combo1_Click(int listIndex);
    void Text1_GotFocus(int Index);
    void Text2_GotFocus();
    // The user edited a box: what Text2 holds is what a copy copies.
    void Text1_Change(int Index, const std::string &text);
    void Text2_Change(const std::string &text);

    // Sampling loop and hold.
    void Timer1_Timer();
    void Check1_Click(); // the user clicked the frame around the preview
    // The user clicked the preview: while the screen can be read it toggles the hold; when
    // the reader was refused or lost it asks again, and where it can only pick it picks once.
    void Picture1_Click();
    // The reader says its state changed (the front-end calls this on the window's thread):
    // the preview shows why it cannot read, and each new trouble is told to the user once.
    void ReaderStateChanged();
    // A capture asked for: the portal's shortcut, Space heard by the front-end, `--capture`;
    // the tick turns a polled Space press into one as well. Every request is carried out,
    // one a tick, and a polled press in that same tick is the same press.
    void RequestCapture() { ++captureRequests_; }
    // A colour the desktop's own picker chose, where the screen cannot be read live: shown,
    // held and captured as a Space press would have captured it. A cancelled pick changes
    // nothing.
    void ColourPicked(ColourValue colour);

    // The loupe and the sample. The user chose a command of the preview's right-click menu
    // (LoupeMenu), or turned the wheel over the loupe by steps (positive: closer).
    void PreviewMenu_Click(int command);
    void Picture5_MouseWheel(int steps);
    // The loupe's picture box is side device pixels wide (at 96 DPI LoupeViewSize): the
    // picture is drawn at that size, so no block is stretched.
    void Picture5_Resize(int side);

    // Capture: the swatch append, then the clipboard.
    void AppendSwatch();
    void CopyColor();

    // History strip.
    void HScroll1_Change(int value);
    void HScroll1_Scroll(int value);
    void Picture3_Click(std::int64_t Index);

  private:
    void SetHold(bool held);
    void SetUpperCase(int value);
    void SetListIndex(int listIndex);
    void RestorePosition();
    void RestoreUpperCase();
    void RestoreOutputFormat();
    void SetLoupe(const LoupeSettings &loupe);
    int SquareReach() const;
    void ReadSquare(ScreenPoint centre);
    void ShowLoupe();

    WindowView &view_;
    Desktop &desktop_;
    IniMod &settings_;

    std::uintptr_t desktopWnd_ = 0;
    ColourValue preview_ = COLOR_BTNFACE_REF;
    ColourTexts texts_;
    bool held_ = false;
    int upperCase_ = 0;
    int listIndex_ = -1;
    History history_;
    std::uint64_t captureRequests_ = 0;
    std::set<std::string> toldProblems_;
    LoupeSettings loupe_;
    PixelSquare square_; // the last read around the pointer: what the sample and loupe show
    PixelSquare shownSquare_;
    LoupeSettings shownLoupe_;
    int loupeSide_ = LoupeViewSize; // Picture5's side in device pixels

    int left_ = 0; // the frame's top-left corner, in window coordinates
    int top_ = 0;
    int windowState_ = 0;
    bool positionKnown_ = true;
};
