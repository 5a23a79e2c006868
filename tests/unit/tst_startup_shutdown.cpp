// Start-up restores the settings file, closing writes it, against a scripted desktop.
#include "Testing.h"
#include "support/Window.h"

#include <string>
#include <vector>

namespace {
// What a close writes after the output options when nothing else was chosen.
const std::string LaterDefaults =
    "[Loupe]\r\nVisible=0\r\nZoom=8\r\nSample=1\r\n[Colour]\r\nSpace=0\r\n[History]\r\nKeep=0\r\n";
const std::string LfLaterDefaults =
    "[Loupe]\nVisible=0\nZoom=8\nSample=1\n[Colour]\nSpace=0\n[History]\nKeep=0\n";
} // namespace

TEST_CASE("first run without a file") {
    Window t;
    std::vector<std::string> journal;
    t.desktop.journal = t.view.journal = &journal;
    t.w.Form_Load();
    CHECK(journal == (std::vector<std::string>{"GetDesktopWindow", "SetWindowTopmost",
                                               "GetAsyncKeyState", "SettingsFolder",
                                               "ShowUpperCase", "ShowFormat", "UseJapaneseFont"}));
    CHECK_EQ(t.settings.IniPath(), t.IniPath());
    CHECK_EQ(t.view.upperCase, 1);
    CHECK_EQ(t.view.format, 0);
    CHECK_EQ(t.view.texts, (ColourTexts{"15", "0", "0", "#0F0000"})); // the starting colour
    CHECK(t.view.moves.empty()); // the window manager places a new window
    CHECK(t.files.files.empty());
    CHECK_EQ(t.desktop.pixelReads, 0);
    t.w.Form_Moved(40, 60);
    t.Close();
    CHECK_EQ(t.Ini(), "[Position]\r\nLeft=600\r\nTop=900\r\n[Output]\r\nUpperCase=1\r\nType=0\r\n" +
                          LaterDefaults);
    CHECK_EQ(t.files.replaceCalls, 1);
}

TEST_CASE("each window reads, writes and tells through its own settings") {
    Window a;
    Window b;
    a.StoreIni("[Output]\r\nType=2\r\n");
    b.files.diskFull = true;
    a.w.Form_Load();
    b.w.Form_Load();
    CHECK_EQ(a.view.format, 2);
    CHECK_EQ(b.view.format, 0);
    a.Close();
    b.Close();
    CHECK_EQ(a.files.replaceCalls, 1);
    CHECK_EQ(b.files.replaceCalls, 1);
    CHECK(a.desktop.said.empty());
    CHECK_EQ(b.desktop.said.size(), size_t{1});
    // What a close could not save is kept for after the window has gone, unless the session ends.
    CHECK_EQ(a.w.CloseSaveProblem(), "");
    CHECK((!b.desktop.said.empty() && b.w.CloseSaveProblem() == b.desktop.said[0]));
    int cancel = 0;
    b.w.Form_QueryUnload(cancel, 2);
    CHECK_EQ(b.w.CloseSaveProblem(), "");
    b.files.diskFull = false;
    b.Close();
    CHECK_EQ(b.w.CloseSaveProblem(), "");
}

// printed: what --print writes of the same colour from the same file, by the window's rules
// (where the window has no format, the first).
TEST_CASE("options come back, and go back as they now stand") {
    const struct {
        const char *stored;
        int upperCase, type;
        const char *code, *writtenBack, *printed;
    } rows[] = {
        {"UpperCase=0\r\nType=0\r\n", 0, 0, "#0f0000", "UpperCase=0\r\nType=0\r\n", "#0f0000"},
        {"UpperCase=2\r\nType=1\r\n", 2, 1, "0F0000", "UpperCase=2\r\nType=1\r\n", "0F0000"},
        {"UpperCase=1.5\r\nType=2\r\n", 2, 2, "15,0,0", "UpperCase=2\r\nType=2\r\n", "15,0,0"},
        {"UpperCase=0.5\r\n", 0, 0, "#0f0000", "UpperCase=0\r\nType=0\r\n", "#0f0000"},
        {"UpperCase=7\r\nType=0\r\n", 0, 0, "#0f0000", "UpperCase=0\r\nType=0\r\n", "#0f0000"},
        {"UpperCase=yes\r\nType=0\r\n", 0, 0, "#0f0000", "UpperCase=0\r\nType=0\r\n", "#0f0000"},
        {"UpperCase=1\r\nType=3\r\n", 1, -1, "", "UpperCase=1\r\nType=-1\r\n", "#0F0000"},
        {"UpperCase=0\r\nType=x\r\n", 0, -1, "", "UpperCase=0\r\nType=-1\r\n", "#0f0000"},
        {"Type=-1\r\n", 1, -1, "", "Type=-1\r\nUpperCase=1\r\n", "#0F0000"},
        {"Type=40000\r\n", 1, -1, "", "Type=-1\r\nUpperCase=1\r\n", "#0F0000"},
    };
    for (const auto &row : rows) {
        Window t;
        t.StoreIni(std::string("[Output]\r\n") + row.stored);
        t.w.Form_Load();
        CHECK_EQ(t.w.UpperCase(), row.upperCase);
        CHECK_EQ(t.w.ListIndex(), row.type);
        CHECK_EQ(t.view.texts.code, row.code);
        CHECK_EQ(PrintedCode(t.settings, RGB(15, 0, 0), -1, -1), row.printed);
        t.w.Form_StateChanged(1); // minimised: the position stays out of the file
        t.Close();
        CHECK_EQ(t.Ini(), std::string("[Output]\r\n") + row.writtenBack + LaterDefaults);
    }
}

TEST_CASE("the stored position comes back, and the moved one is saved") {
    Window t;
    t.StoreIni("[Position]\nLeft=600\nTop= 900 \n");
    t.w.Form_Load();
    CHECK(t.view.moves == (std::vector<ScreenPoint>{{40, 60}}));
    t.w.Form_Moved(47, 63);
    t.Close();
    CHECK_EQ(t.Ini(),
             "[Position]\nLeft=705\nTop=945\n[Output]\nUpperCase=1\nType=0\n" + LfLaterDefaults);

    // At 120 DPI a pixel is 12 twips: saved so, and found again.
    Window saved;
    saved.desktop.twipsPerPixel = 12;
    saved.w.Form_Load();
    saved.w.Form_Moved(47, 63);
    saved.Close();
    CHECK(saved.Ini().starts_with("[Position]\r\nLeft=564\r\nTop=756\r\n"));
    Window restored;
    restored.desktop.twipsPerPixel = 12;
    restored.StoreIni(saved.Ini());
    restored.w.Form_Load();
    CHECK(restored.view.moves == (std::vector<ScreenPoint>{{47, 63}}));
}

TEST_CASE("positions that move nothing, and one moved onto the nearest screen") {
    const struct {
        const char *stored;
        std::vector<ScreenPoint> moves;
        FrameSize frame = {}; // the window's, where it knows it
    } rows[] = {
        {"[Position]\nLeft=900\nTop=abc\n", {}},
        {"[Position]\nLeft=\nTop=900\n", {}},
        {"[Position]\nLeft=1e30\nTop=900\n", {}},
        {"[Output]\nType=1\n", {}},
        {"[Position]\nLeft=0\nTop=0\n", {{0, 0}}}, // where a new window stands, yet stored
        {"[Position]\nTop=0\n", {}},
        {"[Position]\nLeft=\xD9\xA1\xD9\xA5\nTop=\xE2\x88\x92"
         "45\n",
         {{1, -3}}},
        {"[Position]\nLeft=757,5\nTop=-45\n", {{51, -3}}},
        {"[Position]\nLeft=103500\nTop=450\n", {{1920 - 286, 30}}}, // 5000 pixels off
        {"[Position]\nLeft=+900\nTop=450\n", {{60, 30}}},
        // Far below, with the loupe's panel: the whole frame, 140 + 128 + 24 + 6 high, lifted.
        {"[Position]\nLeft=600\nTop=99999\n[Loupe]\nVisible=1\n", {{40, 1080 - 298}}},
        // At 144 DPI with the loupe: the frame the window has, not one guessed at 96 DPI.
        {"[Position]\nLeft=103500\nTop=99000\n[Loupe]\nVisible=1\n",
         {{1920 - 427, 1080 - 441}},
         {427, 441, 39}},
        {"[Position]\nLeft=20\nTop=99000\n[Loupe]\nVisible=1\n", {{1, 1080 - 298}}},
    };
    for (const auto &row : rows) {
        Window t;
        t.view.frame = row.frame;
        t.StoreIni(row.stored);
        t.w.Form_Load();
        CHECK(t.view.moves == row.moves);
        if (!(t.view.moves == row.moves))
            FAIL_CHECK("  stored " << row.stored);
    }
}

TEST_CASE("closing while minimised or maximised keeps the position saved before") {
    for (const int state : {1, 2}) {
        Window t;
        t.StoreIni("[Position]\r\nLeft=600\r\nTop=450\r\n[Output]\r\nUpperCase=1\r\nType=0\r\n");
        t.w.Form_Load();
        t.w.Combo1_Click(2);
        t.w.Form_Moved(140, 130);
        t.w.Form_StateChanged(state);
        CHECK_EQ(t.w.WindowState(), state);
        t.Close();
        CHECK_EQ(t.Ini(),
                 "[Position]\r\nLeft=600\r\nTop=450\r\n[Output]\r\nUpperCase=1\r\nType=2\r\n" +
                     LaterDefaults);
    }
}

TEST_CASE("start-up runs its steps once, whatever the file") {
    for (const char *stored : {"", "[Position]\nLeft=x\n[Output]\nUpperCase=9\nType=9\n"}) {
        Window t;
        t.StoreIni(stored);
        t.w.Form_Load();
        CHECK_EQ(t.desktop.desktopQueries, 1);
        CHECK_EQ(t.view.topmostCalls, 1);
        CHECK_EQ(t.desktop.keyQueries, 1);
        CHECK_EQ(t.view.fontCalls, 1);
        CHECK_EQ(t.files.replaceCalls, 0); // reading never writes
        CHECK_EQ(t.files.loadCalls, 1);    // and reads the file once for every key
    }
}

TEST_CASE("where the window's place is unknowable, closes keep the stored position") {
    Window t;
    t.StoreIni("[Position]\r\nLeft=6000\r\nTop=3000\r\n[Output]\r\nUpperCase=1\r\nType=0\r\n");
    t.w.PositionUnknowable();
    t.w.Form_Load();
    t.w.Form_Moved(-3, -30); // what such a desktop reports
    t.w.Check2_Click();
    t.Close();
    CHECK_EQ(t.Ini(),
             "[Position]\r\nLeft=6000\r\nTop=3000\r\n[Output]\r\nUpperCase=0\r\nType=0\r\n" +
                 LaterDefaults);
}

CHECK_MAIN
