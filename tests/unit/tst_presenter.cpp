// What the window shows for a colour value: swatch, components and code line, and the two
// options that shape the code.
#include "Testing.h"
#include "core/colour/SwatchPaint.h"
#include "support/Window.h"

#include <cstdint>
#include <string>

TEST_CASE("worked examples in every format and case") {
    const struct {
        std::uint32_t colour;
        const char *red, *green, *blue;
        const char *codes[5]; // html upper, html lower, hex upper, hex lower, comma
    } rows[] = {
        {0x0000FF, "255", "0", "0", {"#FF0000", "#ff0000", "FF0000", "ff0000", "255,0,0"}},
        {0x00FF00, "0", "255", "0", {"#00FF00", "#00ff00", "00FF00", "00ff00", "0,255,0"}},
        {0xFF0000, "0", "0", "255", {"#0000FF", "#0000ff", "0000FF", "0000ff", "0,0,255"}},
        {0x808080, "128", "128", "128", {"#808080", "#808080", "808080", "808080", "128,128,128"}},
        {0xFFFFFF, "255", "255", "255", {"#FFFFFF", "#ffffff", "FFFFFF", "ffffff", "255,255,255"}},
        {0x000000, "0", "0", "0", {"#000000", "#000000", "000000", "000000", "0,0,0"}},
        {0xD2691E, "30", "105", "210", {"#1E69D2", "#1e69d2", "1E69D2", "1e69d2", "30,105,210"}},
        {0x0A0F01, "1", "15", "10", {"#010F0A", "#010f0a", "010F0A", "010f0a", "1,15,10"}},
        {0x8000000F, "15", "0", "0", {"#0F0000", "#0f0000", "0F0000", "0f0000", "15,0,0"}},
    };
    const struct {
        int format, caseValue, column;
    } columns[] = {{0, 1, 0}, {0, 0, 1}, {1, 1, 2}, {1, 0, 3}, {2, 1, 4},
                   {0, 2, 0}, {1, 2, 2}, {2, 0, 4}, {2, 2, 4}}; // greyed is upper
    for (const auto &row : rows) {
        const auto colour = static_cast<ColourValue>(row.colour);
        for (const auto &c : columns) {
            const ColourTexts texts = RenderTexts(colour, c.format, c.caseValue);
            CHECK_EQ(texts, (ColourTexts{row.red, row.green, row.blue, row.codes[c.column]}));
        }
        for (const int none : {-1, 3, -2}) // no format: components, no code
            CHECK_EQ(RenderTexts(colour, none, 1), (ColourTexts{row.red, row.green, row.blue, ""}));
    }
}

TEST_CASE("a colour shown reaches the preview and the boxes") {
    Window t;
    CHECK_EQ(t.w.PreviewColour(), COLOR_BTNFACE_REF); // the starting colour: the button face
    t.w.Combo1_Click(0);
    t.w.ShowColor(0xD2691E);
    CHECK_EQ(t.view.preview, 0xD2691E);
    CHECK_EQ(t.view.texts, (ColourTexts{"30", "105", "210", "#1e69d2"}));
    CHECK_EQ(t.w.Texts(), t.view.texts);
    t.w.ShowColor(CLR_INVALID); // a failed read: empty boxes, never the white of its bits
    CHECK_EQ(t.view.preview, CLR_INVALID);
    CHECK_EQ(t.view.texts, ColourTexts{});
}

TEST_CASE("options re-render the colour shown, without reading the screen") {
    Window t;
    t.w.Combo1_Click(0);
    t.w.ShowColor(0xD2691E);
    t.w.Check2_Click(); // unchecked to checked
    CHECK_EQ(t.view.upperCase, 1);
    CHECK_EQ(t.view.texts.code, "#1E69D2");
    t.w.Combo1_Click(1);
    CHECK_EQ(t.view.format, 1);
    CHECK_EQ(t.view.texts.code, "1E69D2");
    t.w.Check2_Click();
    CHECK_EQ(t.w.UpperCase(), 0);
    CHECK_EQ(t.view.texts.code, "1e69d2");
    t.w.Combo1_Click(-1);
    CHECK_EQ(t.view.texts, (ColourTexts{"30", "105", "210", ""}));
    t.w.Text2_Change("typed");
    t.w.Combo1_Click(-1); // choosing the entry already chosen counts all the same
    CHECK_EQ(t.view.texts.code, "");
    CHECK_EQ(t.w.Texts().code, "");
    for (const int refused : {3, -2}) {
        t.w.Combo1_Click(refused);
        CHECK_EQ(t.w.ListIndex(), -1);
        CHECK_EQ(t.view.format, -1);
    }
    CHECK_EQ(t.view.preview, 0xD2691E);
    CHECK_EQ(t.desktop.pixelReads + t.desktop.pointerReads, 0);
}

TEST_CASE("the case box: from greyed a click checks, and the code line asks for the focus") {
    Window t;
    t.StoreIni("[Output]\r\nUpperCase=2\r\n");
    t.w.Form_Load();
    CHECK_EQ(t.view.upperCase, 2);
    CHECK_EQ(t.view.texts.code, "#0F0000");
    const int requests = t.view.focusRequests;
    for (const int expected : {1, 0, 1}) {
        t.w.Check2_Click();
        CHECK_EQ(t.view.upperCase, expected);
    }
    CHECK_EQ(t.view.focusRequests, requests + 3); // refused while hidden; the texts stand
    CHECK_EQ(t.view.texts.code, "#0F0000");
    t.view.focusAnswer = true;
    t.w.Check2_Click();
    CHECK_EQ(t.view.focusRequests, requests + 4);
    CHECK_EQ(t.view.texts.code, "#0f0000");
}

TEST_CASE("restoring the case box raises its click only when the value changes") {
    for (const char *stored : {"UpperCase=0\r\n", "UpperCase=1\r\n"}) {
        Window t;
        t.StoreIni(std::string("[Output]\r\nType=3\r\n") + stored);
        t.w.Form_Load();
        const bool changes = stored[10] == '1';
        CHECK_EQ(t.view.focusRequests, changes ? 1 : 0);
        CHECK_EQ(t.view.previewCalls, changes ? 1 : 0);
    }
}

TEST_CASE("entering a box selects its whole text") {
    Window t;
    t.w.Text1_GotFocus(1);
    t.w.Text1_GotFocus(2);
    t.w.Text2_GotFocus();
    t.w.Text1_GotFocus(0);
    CHECK(t.view.selections ==
          (std::vector<WindowView::TextField>{WindowView::GreenBox, WindowView::BlueBox,
                                              WindowView::CodeBox, WindowView::RedBox}));
}

TEST_CASE("a swatch paints a colour, a system colour, or a hatch for no colour") {
    const struct {
        ColourValue value;
        SwatchFill fill;
        int red, green, blue, index;
    } rows[] = {
        {RGB(30, 105, 210), SwatchFill::Solid, 30, 105, 210, 0},
        {RGB(0, 0, 0), SwatchFill::Solid, 0, 0, 0, 0},
        {RGB(255, 255, 255), SwatchFill::Solid, 255, 255, 255, 0},
        {COLOR_BTNFACE_REF, SwatchFill::System, 0, 0, 0, 15},
        {CLR_INVALID, SwatchFill::Hatch, 0, 0, 0, 0},
        {static_cast<ColourValue>(0x01D2691E), SwatchFill::Hatch, 0, 0, 0, 0}, // no colour either
    };
    for (const auto &row : rows) {
        const SwatchPaint paint = PaintOf(row.value);
        CHECK(paint.fill == row.fill);
        if (row.fill == SwatchFill::Solid) {
            CHECK_EQ(paint.colour.red, row.red);
            CHECK_EQ(paint.colour.green, row.green);
            CHECK_EQ(paint.colour.blue, row.blue);
        }
        if (row.fill == SwatchFill::System)
            CHECK_EQ(paint.systemIndex, row.index);
    }
}

CHECK_MAIN
