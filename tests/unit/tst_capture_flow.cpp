// Capturing with Space: the history strip and the clipboard, against a scripted desktop.
#include "Testing.h"
#include "support/Window.h"

#include "core/history/StripGeometry.h"

TEST_CASE("a capture appends the colour of that tick and copies text and swatch") {
    Window t;
    t.w.Form_Load();
    t.desktop.pixel = 0xD2691E;
    t.Tick(true);
    CHECK_EQ(t.view.strip.count, 1);
    CHECK_EQ(t.w.Swatches().Swatch(0), 0xD2691E);
    CHECK_EQ(t.view.strip.width, 185);
    CHECK(!t.view.strip.scrollEnabled);
    CHECK_EQ(t.desktop.clipboard.size(), 1u);
    CHECK_EQ(t.Clipboard(), "#1E69D2");
    CHECK_EQ(t.desktop.clipboard.back().swatch, 0xD2691E);
    t.Tick(true);
    t.Capture(0x00FF00);
    CHECK_EQ(t.view.strip.count, 2);
    CHECK_EQ(t.view.strip.width, 34);
    CHECK_EQ(t.w.Swatches().Swatch(1), 0x00FF00);
    CHECK_EQ(t.desktop.clipboard.size(), 2u); // releasing the hold copies nothing
}

TEST_CASE("a colour from the desktop's picker is held and captured; a cancel changes nothing") {
    Window t;
    t.w.Form_Load();
    t.desktop.pointer.reset(); // nothing to read live
    t.Tick();
    t.w.ColourPicked(CLR_INVALID);
    CHECK_EQ(t.w.PreviewColour(), CLR_INVALID);
    CHECK(t.desktop.clipboard.empty());
    t.w.ColourPicked(0xD2691E);
    CHECK(t.view.held);
    CHECK_EQ(t.w.TimerInterval(), 200);
    CHECK_EQ(t.Clipboard(), "#1E69D2");
    t.Tick(); // held: the failing reads do not cover it
    CHECK_EQ(t.w.PreviewColour(), 0xD2691E);
    t.w.ColourPicked(0x00FF00); // a second pick while held is captured too
    CHECK_EQ(t.w.Swatches().Count(), 2);
    CHECK_EQ(t.desktop.clipboard.back().swatch, 0x00FF00);
}

TEST_CASE("the 15th capture enables scrolling without scrolling") {
    Window t;
    t.w.Form_Load();
    for (int i = 1; i <= 14; ++i)
        t.Capture(i);
    CHECK(!t.view.strip.scrollEnabled);
    t.Capture(15);
    CHECK(t.view.strip.scrollEnabled);
    CHECK_EQ(t.view.strip.scrollMax, 1);
    CHECK_EQ(t.view.strip.width, 255);
    t.Capture(16);
    CHECK_EQ(t.view.strip.scrollMax, 2);
    CHECK_EQ(t.view.strip.scrollValue, 0);
    CHECK_EQ(t.view.strip.left, 0);
}

TEST_CASE("scrolling slides the strip; a swatch click recalls and copies it") {
    Window t;
    t.w.Form_Load();
    t.w.Combo1_Click(2);
    t.w.Picture3_Click(0); // nothing there yet
    CHECK(t.desktop.clipboard.empty());
    for (int i = 0; i < 20; ++i)
        t.Capture(0x10 * i);
    const struct {
        bool drag;
        int value;
        std::int64_t left;
    } moves[] = {{false, 3, 2 - 51}, {false, 0, 2}, {true, 4, -48}, {false, 4, 2 - 68}};
    for (const auto &m : moves) {
        m.drag ? t.w.HScroll1_Scroll(m.value) : t.w.HScroll1_Change(m.value);
        CHECK_EQ(t.view.strip.left, m.left);
        CHECK_EQ(t.view.strip.scrollValue, m.value);
    }
    const std::size_t copies = t.desktop.clipboard.size();
    // At value 4 the frame's first whole swatch is number 4; clicked while held, the hold stays.
    t.w.Picture1_Click();
    t.w.Picture3_Click(SwatchUnder(2 + 8, t.view.strip.left, t.view.strip.count));
    CHECK_EQ(t.view.preview, 0x40);
    CHECK_EQ(t.view.texts.code, "64,0,0");
    CHECK_EQ(t.Clipboard(), "64,0,0");
    CHECK_EQ(t.desktop.clipboard.back().swatch, 0x40);
    CHECK(t.w.Held());
    t.w.Picture1_Click();
    t.w.Picture3_Click(19); // and while sampling, sampling stays on
    CHECK_EQ(t.Clipboard(), "48,1,0");
    CHECK(!t.w.Held());
    CHECK_EQ(t.desktop.clipboard.size(), copies + 2);
    for (const std::int64_t outside : {-1LL, 20LL, 1LL << 40}) {
        t.w.Picture3_Click(outside);
        CHECK_EQ(t.view.preview, 0x130);
    }
    CHECK_EQ(t.desktop.clipboard.size(), copies + 2);
    CHECK_EQ(t.view.strip.count, 20);
}

TEST_CASE("a copy takes the code line as it stands, with the preview's swatch") {
    Window t;
    t.w.Combo1_Click(0);
    t.w.ShowColor(0x0000FF);
    t.w.CopyColor();
    t.w.ShowColor(0x00FF00);
    t.w.CopyColor();
    CHECK_EQ(t.Clipboard(), "#00ff00");
    CHECK_EQ(t.desktop.clipboard.back().swatch, 0x00FF00);
    t.w.Combo1_Click(-1); // no format: the empty text, with the swatch
    t.w.CopyColor();
    CHECK_EQ(t.Clipboard(), "");
    CHECK_EQ(t.desktop.clipboard.back().swatch, 0x00FF00);
    t.w.Text2_Change("typed \xC3\xBC"); // the user's edit is what is copied
    t.w.CopyColor();
    CHECK_EQ(t.Clipboard(), "typed \xC3\xBC");
    CHECK_EQ(t.desktop.clipboard.size(), 4u);
}

TEST_CASE("a long history stays exact at its far end") {
    Window t;
    const int count = 70000;
    for (int i = 0; i < count; ++i) {
        t.w.ShowColor(i);
        t.w.AppendSwatch();
    }
    CHECK_EQ(t.view.strip.count, count);
    CHECK_EQ(t.view.strip.width, 17LL * count);
    CHECK_EQ(t.view.strip.scrollMax, count - 14);
    t.w.HScroll1_Change(t.view.strip.scrollMax);
    CHECK_EQ(t.view.strip.left, 2 - 17LL * (count - 14));
    t.w.Picture3_Click(SwatchUnder(2 + 13 * 17 + 8, t.view.strip.left, count));
    CHECK_EQ(t.view.preview, count - 1);
    t.w.Picture3_Click(SwatchUnder(2 + 8, t.view.strip.left, count));
    CHECK_EQ(t.view.preview, count - 14);
    t.w.HScroll1_Change(count); // beyond the end: the scroll bar stops at its maximum
    CHECK_EQ(t.view.strip.scrollValue, count - 14);
}

CHECK_MAIN
