#pragma once

#include "core/colour/CodeText.h"
#include "core/colour/ColourValue.h"
#include "core/window/ScreenGeometry.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>

class History;
class StripScroll;
struct LoupePicture;
struct PaletteFormat;

// What the window shows, as the front-end draws it. Every call states the whole new value of
// one control; a front-end may skip what it already shows.
class WindowView {
  public:
    virtual ~WindowView() = default;

    // Text1(0..2), then Text2.
    enum TextField { RedBox = 0, GreenBox = 1, BlueBox = 2, CodeBox = 3 };

    virtual void ShowPreview(ColourValue colour) = 0;     // Picture1's fill
    virtual void ShowTexts(const ColourTexts &texts) = 0; // Text1(0..2) and Text2
    virtual void ShowHold(bool held) = 0;                 // Check1 pressed in
    virtual void ShowUpperCase(int value) = 0;            // Check2: 0, 1 or 2 (greyed)
    virtual void ShowFormat(int listIndex) = 0;           // Combo1's entry, -1 for none
    // Picture1's tooltip: why the screen cannot be read, or while it can, what the preview is
    // for and what its numbers are. Until told, the window table's tip.
    virtual void ShowPreviewTip(const std::string &text) = 0;
    // The strip (Picture4 and its swatches) and its scroll bar (HScroll1).
    virtual void ShowHistory(const History &history, const StripScroll &strip) = 0;

    // The loupe panel (Picture5, Label4, Label5) shown below the other controls, the client
    // area LoupePanelHeight taller; hidden, the window is as it was. The window's top-left
    // corner stays where it is either way.
    virtual void ShowLoupePanel(bool visible) = 0;
    // What the panel shows; told only while it is shown, and only when it changed.
    virtual void ShowLoupe(const LoupePicture &picture) = 0;

    // Selects the whole text of a box.
    virtual void SelectWholeText(TextField field) = 0;
    // Moves the keyboard focus to the code line; false while the window cannot take it.
    virtual bool FocusCode() = 0;

    // The tick's period in milliseconds.
    virtual void SetTimerInterval(int milliseconds) = 0;
    // Above every ordinary window.
    virtual void SetWindowTopmost() = 0;
    // Top-left corner of the window's frame, in window coordinates.
    virtual void MoveWindow(int x, int y) = 0;
    // The frame as it is at the window's DPI with the panels now shown; all 0 where it is not
    // known before the window manager frames the window.
    virtual FrameSize WindowFrame() const { return {}; }
    // The labels and the list in the face they were drawn for, with Japanese fallbacks.
    virtual void UseJapaneseFont() = 0;

    // Asks the user question (in the window's language) with "はい" and "いいえ"; true for yes.
    // A view that cannot ask answers no, so nothing is lost.
    virtual bool AskYesNo(const std::string &question) {
        (void)question;
        return false;
    }
    // Where the user wants a file saved, from the desktop's save dialog offering types (each
    // its label and "*.extension", in order): the path and the index of the type chosen. None
    // when cancelled, or where the view has no such dialog.
    struct SaveChoice {
        std::string path; // UTF-8
        std::size_t type = 0;
    };
    virtual std::optional<SaveChoice> AskSavePath(std::span<const PaletteFormat> types) {
        (void)types;
        return std::nullopt;
    }
};
