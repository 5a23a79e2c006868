#pragma once

#include "core/Desktop.h"
#include "core/WindowView.h"
#include "core/colour/CodeText.h"
#include "core/colour/ProfileConversion.h"
#include "core/history/History.h"
#include "core/history/StripGeometry.h"
#include "core/loupe/LoupePicture.h"
#include "core/loupe/LoupeSettings.h"
#include "core/sampling/PixelSquare.h"
#include "core/settings/IniMod.h"
#include "core/settings/OutputOptions.h"
#include "core/window/MenuEntry.h"
#include "core/window/WindowLayout.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class FileStore;

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

    // files: where the kept history ("Kalvor.gpl" beside "Kalvor.ini") and exports are
    // written; without it nothing is kept or exported. engine: the platform's colour engine,
    // for sRGB from the monitors' profiles; without one the numbers stay device values.
    FenwoMain(WindowView &view, Desktop &desktop, IniMod &settings, FileStore *files = nullptr,
              ProfileEngine *engine = nullptr);
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
    const StripScroll &Strip() const { return strip_; }
    bool KeepsHistory() const { return keep_; }
    // The strip's right-click menu over swatch Index (-1: none), and a swatch's tooltip: its
    // name, and while a colour is held, the contrast between the two.
    std::vector<MenuEntry> StripMenuAt(std::int64_t Index) const;
    std::string SwatchTip(std::int64_t Index) const;
    // The history as a GIMP palette: what `kalvor --history` is answered.
    std::string HistoryPalette() const;
    int TimerInterval() const { return held_ ? HeldPeriod : SamplingPeriod; }
    std::uintptr_t DesktopWnd() const { return desktopWnd_; }
    const LoupeSettings &Loupe() const { return loupe_; }
    // What the numbers are: the device's values, or sRGB through the monitor's profile.
    ColourSpace Space() const { return space_; }
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
    // Why the last close could not save the settings, for the front-end to tell once the window
    // has gone (a notice beside the window goes with it); empty when it saved, or when the
    // session was ending (UnloadMode 2): nobody would see it then.
    const std::string &CloseSaveProblem() const { return closeSaveProblem_; }
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
    // A command of the strip's right-click menu (StripMenu), given over swatch Index or -1.
    void StripMenu_Click(int command, std::int64_t Index);

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
    void KeepHeldSquare();
    void ShowLoupe();
    void ShowSample();
    void ShowPreviewTip();
    void SetColourSpace(ColourSpace space);
    void RestoreHistory();
    void ShowStrip();
    void KeepHistory(bool keep);
    void SaveHistory();
    void ExportHistory();
    void RemoveSwatch(std::int64_t Index);
    void ClearHistory();

    WindowView &view_;
    Desktop &desktop_;
    IniMod &settings_;
    FileStore *files_;

    std::uintptr_t desktopWnd_ = 0;
    ColourValue preview_ = COLOR_BTNFACE_REF;
    ColourTexts texts_;
    bool held_ = false;
    int upperCase_ = DesignedUpperCase;
    int listIndex_ = -1;
    History history_;
    StripScroll strip_;
    bool keep_ = false;       // the history is kept in palettePath_
    std::string palettePath_; // "Kalvor.gpl" beside the settings file
    std::string keptPalette_; // its text as last read or written
    std::uint64_t captureRequests_ = 0;
    std::set<std::string> toldProblems_;
    std::string closeSaveProblem_;
    LoupeSettings loupe_;
    PixelSquare square_; // the last read around the pointer, or what was kept at the hold
    PixelSquare shownSquare_;
    ColourSpace space_ = ColourSpace::Device;
    ProfileConversion conversion_;
    bool previewFromRead_ = false; // the preview shows square_'s sample, not a pick or a swatch
    std::string shownSource_;      // the preview's tooltip line on what the numbers are
    std::string readProblem_;      // why the screen cannot be read; empty while it can
    std::string shownTip_{ControlOf(ControlId::Picture1).tip}; // the tooltip as the view shows it
    LoupeSettings shownLoupe_;
    int loupeSide_ = LoupeViewSize; // Picture5's side in device pixels

    int left_ = 0; // the frame's top-left corner, in window coordinates
    int top_ = 0;
    int windowState_ = 0;
    bool positionKnown_ = true;
};
