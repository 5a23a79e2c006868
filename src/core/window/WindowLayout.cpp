#include "core/window/WindowLayout.h"

#include <array>

namespace {

using enum ControlId;
using enum ControlFont;

constexpr std::array Table = std::to_array<WindowControl>({
    // Upper case for the hexadecimal codes.
    {Check2, "Check2", FenwoMain, {208, 48, 57, 17}, "大文字", "", 7, Default, false, FenwoMain},
    // The code's format; its entries come from the format table.
    {Combo1, "Combo1", FenwoMain, {8, 48, 73, 20}, "", "", 6, Japanese, false, FenwoMain},
    // The history frame: the strip above its scroll bar. Its bottom-left pixel covers Image2's.
    {Picture2, "Picture2", FenwoMain, {16, 80, 241, 33}, "", "", -1, Default, false, Image2},
    // Slides the strip one swatch a step; hides the strip's bottom row.
    {HScroll1, "HScroll1", Picture2, {0, 16, 241, 17}, "", "", 5, Default, false, Picture4},
    // The strip, drawn as a view the frame's width: the swatches Picture3(i) move inside it, by
    // the offset and width the history keeps (185 pixels wide at first).
    {Picture4, "Picture4", Picture2, {0, 0, 241, 17}, "", "", -1, Default, false, FenwoMain},
    // Blue, green and red as decimal numbers; each covers its heading's bottom row.
    {Text1_2, "Text1(2)", FenwoMain, {168, 24, 33, 18}, "", "", 3, Default, false, Label3_1},
    {Text1_1, "Text1(1)", FenwoMain, {128, 24, 33, 18}, "", "", 2, Default, false, Label3_2},
    // The preview: the colour under the pointer or the one held; a click switches the hold. It
    // fills the middle of its frame, Check1, leaving 4 pixels of the button on every side.
    {Picture1,
     "Picture1",
     FenwoMain,
     {24, 8, 33, 33},
     "",
     "吸い取り有効/無効",
     0,
     Default,
     false,
     Check1},
    // The colour code in the chosen format: what a capture copies.
    {Text2, "Text2", FenwoMain, {88, 48, 113, 18}, "", "", 4, Default, false, FenwoMain},
    {Text1_0, "Text1(0)", FenwoMain, {88, 24, 33, 18}, "", "", 1, Default, false, Label3_0},
    // The hold frame: a push button pressed while held; the mouse reaches it, Tab does not.
    {Check1, "Check1", FenwoMain, {20, 4, 41, 41}, "", "", -1, Default, false, FenwoMain},
    // The headings over the number boxes.
    {Label3_2, "Label3(2)", FenwoMain, {128, 8, 33, 17}, "G", "", -1, Japanese, false, FenwoMain},
    {Label3_1, "Label3(1)", FenwoMain, {168, 8, 33, 17}, "B", "", -1, Japanese, false, FenwoMain},
    {Label3_0, "Label3(0)", FenwoMain, {88, 8, 33, 17}, "R", "", -1, Japanese, false, FenwoMain},
    // Shows nothing; its bottom row reaches the hint's top one.
    {Image2, "Image2", FenwoMain, {0, 112, 17, 9}, "", "", -1, Default, false, Label2},
    // The eyedropper picture.
    {Image1, "Image1", FenwoMain, {224, 8, 32, 32}, "", "", -1, Default, false, FenwoMain},
    // The hint: point, then press Space. Centred on its own 280 pixels, 6 more than the window's,
    // whose edge cuts them off.
    {Label2,
     "Label2",
     FenwoMain,
     {0, 120, 280, 20},
     "採取する色にポイントして[スペース]を押して下さい",
     "",
     -1,
     Japanese,
     true,
     FenwoMain},
    // The loupe: the pixels around the sampled one, magnified; the wheel over it zooms.
    {Picture5, "Picture5", FenwoMain, {8, 144, 120, 120}, "", "", -1, Default, false, FenwoMain},
    // Where the sampled pixel is, in the screen's own pixels.
    {Label4, "Label4", FenwoMain, {136, 144, 130, 17}, "", "", -1, Japanese, false, FenwoMain},
    // The zoom and the sample's size.
    {Label5, "Label5", FenwoMain, {136, 164, 130, 17}, "", "", -1, Japanese, false, FenwoMain},
});

} // namespace

std::span<const WindowControl> WindowControls() {
    return Table;
}

const WindowControl &ControlOf(ControlId id) {
    for (const WindowControl &control : Table)
        if (control.id == id)
            return control;
    return Table.front(); // unreachable: every id but the window has its row
}

bool OnLoupePanel(const WindowControl &control) {
    return control.rect.top >= ClientHeight;
}

ControlId Text1Element(int index) {
    constexpr ControlId elements[] = {Text1_0, Text1_1, Text1_2};
    return elements[index];
}

ControlId Label3Element(int index) {
    constexpr ControlId elements[] = {Label3_0, Label3_1, Label3_2};
    return elements[index];
}
