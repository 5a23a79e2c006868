#pragma once

#include <span>
#include <string_view>

// The window as designed: every control's place in pixels at 96 DPI (front-ends scale them to
// the screen), its caption, its place in the tab order and its font. Both front-ends lay the
// window out from this table; a control is added here first.

inline constexpr int ClientWidth = 274; // the client area, fixed
inline constexpr int ClientHeight = 140;
// The loupe panel, below everything else: shown, the window is this much taller.
inline constexpr int LoupePanelHeight = 128;

// The face start-up gives the controls marked Japanese; each front-end adds fallbacks.
inline constexpr std::string_view JapaneseFaceName = "ＭＳ Ｐゴシック";

enum class ControlId {
    FenwoMain, // the window itself: the container of the others
    Check2,
    Combo1,
    Picture2,
    HScroll1,
    Picture4,
    Text1_2,
    Text1_1,
    Picture1,
    Text2,
    Text1_0,
    Check1,
    Label3_2,
    Label3_1,
    Label3_0,
    Image2,
    Image1,
    Label2,
    Picture5,
    Label4,
    Label5,
};

// Left, top, width and height in pixels of the container's client area.
struct PixelRect {
    int left;
    int top;
    int width;
    int height;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

enum class ControlFont {
    Default,  // the desktop's user-interface font
    Japanese, // JapaneseFaceName once start-up asks for it
};

struct WindowControl {
    ControlId id;
    std::string_view name; // as the handlers call it: "Text1(0)"
    ControlId container;
    PixelRect rect;
    std::string_view caption; // UTF-8; empty for none
    std::string_view tip;     // the tooltip; empty for none
    int tabPlace;             // place among the controls Tab reaches, 0 first; -1 never
    ControlFont font;
    bool clipped;       // meant to run past its container's edge, which cuts it
    ControlId overlies; // the sibling it is meant to lie in front of; FenwoMain for none
};

// Every control, front to back: where two overlap, the earlier lies in front.
std::span<const WindowControl> WindowControls();
const WindowControl &ControlOf(ControlId id);
// The controls shown only with the loupe panel.
bool OnLoupePanel(const WindowControl &control);

// The elements of the control arrays, by index: Text1(0..2) red, green, blue from left to right;
// Label3(0) "R", Label3(1) "B", Label3(2) "G", so their indexes do not run left to right.
ControlId Text1Element(int index);
ControlId Label3Element(int index);
