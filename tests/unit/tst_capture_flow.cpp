// Capturing with Space: the history strip and the clipboard, against a scripted desktop.
#include "Testing.h"
#include "support/Window.h"

#include "core/colour/Contrast.h"

#include "core/history/PaletteFormats.h"
#include "core/history/StripGeometry.h"
#include "core/history/StripMenu.h"

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

namespace {
const std::string KeptHeader = "GIMP Palette\nName: Kalvor\nColumns: 0\n#\n";
// The entries' texts, "[x]" before one checked, "-" for one greyed, "|" for a separator.
std::string Shown(const std::vector<MenuEntry> &entries) {
    std::string shown;
    for (const MenuEntry &entry : entries)
        shown += entry.command == 0 ? "|"
                                    : std::string(entry.checked ? "[x]" : "") +
                                          (entry.enabled ? "" : "-") + entry.text + ";";
    return shown;
}
} // namespace

TEST_CASE("the strip's menu: keeping checked when on, removal only over a swatch") {
    Window t;
    t.w.Form_Load();
    CHECK_EQ(Shown(t.w.StripMenuAt(-1)), "履歴を保存する;|-書き出し…;-履歴を消去;");
    t.Capture(0xD2691E);
    CHECK_EQ(Shown(t.w.StripMenuAt(0)), "履歴を保存する;|書き出し…;この色を削除;履歴を消去;");
    CHECK_EQ(Shown(t.w.StripMenuAt(1)), "履歴を保存する;|書き出し…;履歴を消去;");
    t.w.StripMenu_Click(KeepHistory, -1);
    CHECK_EQ(Shown(t.w.StripMenuAt(-1)), "[x]履歴を保存する;|書き出し…;履歴を消去;");
}

TEST_CASE("kept: each capture, removal and clearing rewrites Kalvor.gpl; a restart reads it") {
    Window t;
    t.w.Form_Load();
    t.Capture(0xD2691E); // before keeping: written once keeping starts
    CHECK_EQ(t.Palette(), "<missing>");
    t.w.StripMenu_Click(KeepHistory, -1);
    CHECK_EQ(t.Palette(), KeptHeader + " 30 105 210\t#1E69D2\n");
    t.w.Combo1_Click(FormatComma);
    t.Capture(0x00FF00);
    t.w.Combo1_Click(FormatHtml);
    t.Capture(0x0000FF);
    CHECK_EQ(t.Palette(), KeptHeader + " 30 105 210\t#1E69D2\n  0 255   0\t0,255,0\n"
                                       "255   0   0\t#FF0000\n");
    t.Close();
    CHECK(t.Ini().ends_with("[History]\r\nKeep=1\r\n"));

    Window again;
    again.files = t.files;
    again.w.Form_Load();
    CHECK_EQ(again.view.strip.count, 3);
    CHECK_EQ(again.w.Swatches().At(1), (HistoryColour{0x00FF00, "0,255,0"}));
    CHECK_EQ(again.w.SwatchTip(1), "0,255,0");
    again.Capture(0x808080);
    CHECK_EQ(again.Palette(), t.Palette() + "128 128 128\t#808080\n");
    again.w.StripMenu_Click(RemoveSwatch, 0);
    CHECK_EQ(again.view.strip.count, 3);
    CHECK(again.view.questions.empty()); // removing one asks nothing
    CHECK_EQ(again.Palette(), KeptHeader + "  0 255   0\t0,255,0\n255   0   0\t#FF0000\n"
                                           "128 128 128\t#808080\n");
    again.w.StripMenu_Click(ClearHistory, -1); // the user says no
    CHECK_EQ(again.view.questions, std::vector<std::string>{"履歴をすべて消去しますか？"});
    CHECK_EQ(again.view.strip.count, 3);
    again.view.yes = true;
    again.w.StripMenu_Click(ClearHistory, -1);
    CHECK_EQ(again.view.strip.count, 0);
    CHECK_EQ(again.Palette(), KeptHeader);
}

TEST_CASE("not kept: the palette is neither read nor written, and a full disk is told") {
    Window t;
    t.files.Put(t.PalettePath(), KeptHeader + "1 2 3\tOld\n");
    t.StoreIni("[History]\nKeep=0\n");
    t.w.Form_Load();
    CHECK_EQ(t.view.strip.count, 0);
    t.Capture(0xD2691E);
    t.w.StripMenu_Click(RemoveSwatch, 0);
    CHECK_EQ(t.Palette(), KeptHeader + "1 2 3\tOld\n");
    CHECK_EQ(t.files.replaceCalls, 0);
    t.Close();
    CHECK_EQ(t.Ini(), "[History]\nKeep=0\n[Position]\nLeft=0\nTop=0\n[Output]\nUpperCase=1\n"
                      "Type=0\n[Loupe]\nVisible=0\nZoom=8\nSample=1\n[Colour]\nSpace=0\n");
    // Turned on, the kept colours come first in the strip.
    t.Capture(0x00FF00);
    t.files.diskFull = true;
    t.w.StripMenu_Click(KeepHistory, -1);
    CHECK(t.w.KeepsHistory());
    CHECK_EQ(t.view.strip.count, 2);
    CHECK_EQ(t.w.Swatches().At(0).name, "Old");
    CHECK_EQ(t.desktop.said.size(), 1u);
    t.files.diskFull = false;
    t.Capture(0x0000FF);
    t.w.StripMenu_Click(KeepHistory, -1); // off, and on again: the strip stays as it is
    t.w.StripMenu_Click(KeepHistory, -1);
    CHECK_EQ(t.view.strip.count, 3);
    CHECK_EQ(t.Palette(), KeptHeader + "1 2 3\tOld\n  0 255   0\t#00FF00\n255   0   0\t#FF0000\n");
}

TEST_CASE("export: the dialog offers the five types and the chosen one is written there") {
    Window t;
    t.w.Form_Load();
    t.w.StripMenu_Click(ExportHistory, -1); // nothing to export: no dialog
    CHECK(t.view.offeredTypes.empty());
    t.Capture(0xD2691E);
    t.w.StripMenu_Click(ExportHistory, -1); // cancelled
    CHECK_EQ(t.view.offeredTypes, (std::vector<std::string>{"gpl", "css", "json", "ase", "txt"}));
    CHECK_EQ(t.files.replaceCalls, 0);
    t.view.saveChoice = WindowView::SaveChoice{"/out/c.css", 1};
    t.w.StripMenu_Click(ExportHistory, -1);
    CHECK_EQ(t.files.Bytes("/out/c.css"), ":root {\n  --kalvor-1: #1E69D2;\n}\n");
    t.w.Check2_Click(); // lower case: the text type follows the window
    t.view.saveChoice = WindowView::SaveChoice{"/out/c.txt", 4};
    t.w.StripMenu_Click(ExportHistory, -1);
    CHECK_EQ(t.files.Bytes("/out/c.txt"), "#1e69d2\n");
    t.view.saveChoice = WindowView::SaveChoice{"/out/c.x", 5}; // no such type
    t.w.StripMenu_Click(ExportHistory, -1);
    CHECK_EQ(t.files.Bytes("/out/c.x"), "<missing>");
}

TEST_CASE("a swatch's tooltip gives the contrast with the held colour") {
    Window t;
    t.w.Form_Load();
    t.Capture(0xFFFFFF);
    CHECK_EQ(t.w.SwatchTip(0), "#FFFFFF");
    CHECK_EQ(t.w.SwatchTip(1), "");
    t.desktop.pixel = 0x767676;
    t.Tick(true); // held
    CHECK_EQ(t.w.SwatchTip(0), "#FFFFFF\n#767676 の文字と: 4.54:1  AA 合格  AAA 不合格\nAPCA Lc " +
                                   ContrastOf(0x767676, 0xFFFFFF).LightnessText());
}

TEST_CASE("removing swatches scrolls the strip back as far as it must") {
    Window t;
    for (int i = 0; i < 20; ++i) {
        t.w.ShowColor(i);
        t.w.AppendSwatch();
    }
    t.w.HScroll1_Change(6);
    t.w.StripMenu_Click(RemoveSwatch, 19);
    CHECK_EQ(t.view.strip.count, 19);
    CHECK_EQ(t.view.strip.scrollMax, 5);
    CHECK_EQ(t.view.strip.scrollValue, 5);
    CHECK_EQ(t.view.strip.left, 2 - 17 * 5);
    CHECK_EQ(t.w.Swatches().Swatch(18), 18);
    for (int i = 0; i < 5; ++i)
        t.w.StripMenu_Click(RemoveSwatch, 0);
    CHECK(!t.view.strip.scrollEnabled);
    CHECK_EQ(t.view.strip.scrollValue, 0);
    CHECK_EQ(t.view.strip.left, 0);
    CHECK_EQ(t.view.strip.width, 17 * 14);
    CHECK_EQ(t.w.Swatches().Swatch(0), 5);
    t.w.StripMenu_Click(RemoveSwatch, 14); // past the end: nothing
    CHECK_EQ(t.view.strip.count, 14);
}

CHECK_MAIN
