// What the numbers are: device values, or sRGB through the monitor's colour profile; the
// conversion module against a scripted engine, and the window and --print around it.
#include "Testing.h"
#include "core/CommandLineOptions.h"
#include "core/colour/ProfileConversion.h"
#include "core/loupe/LoupePicture.h"
#include "core/sampling/ColourUnderPointer.h"
#include "core/settings/ColourSetting.h"
#include "support/FakeEngine.h"
#include "support/Window.h"

TEST_CASE("a profile's description: version 2 text, version 4 Unicode, or none that reads") {
    std::vector<std::uint8_t> cut = MadeProfile('S', "Adobe RGB (1998)");
    cut.resize(cut.size() - 8); // the tag runs past the end
    std::vector<std::uint8_t> away = MadeProfile('S', "x");
    away[136] = 0x7F; // the tag's place, far past the end
    const struct {
        std::vector<std::uint8_t> bytes;
        std::string description;
    } rows[] = {
        {MadeProfile('S', "Adobe RGB (1998)"), "Adobe RGB (1998)"},
        {MadeProfile('S', "sRGB IEC61966-2.1", "mluc"), "sRGB IEC61966-2.1"},
        {MadeProfile('S', "", "mluc"), ""},
        {MadeProfile('S', "Bad", "text"), ""}, // a type a description is never of
        {cut, ""},
        {away, ""},
        {std::vector<std::uint8_t>(131, 0), ""},
        {{}, ""},
    };
    for (const auto &row : rows)
        CHECK_EQ(ProfileDescription(row.bytes), row.description);
}

TEST_CASE("conversion: what a colour becomes, by space and profile, and what the tip says") {
    const ProfileBytes swapping = Shared(MadeProfile('S', "Swapped"));
    const ProfileBytes broken = Shared(MadeProfile('X', "Broken"));
    const ProfileBytes nameless = Shared(MadeProfile('S', ""));
    const ProfileBytes empty = Shared({});
    constexpr ColourValue Orange = RGB(255, 128, 0);
    const struct {
        ColourSpace space;
        ProfileBytes profile;
        bool srgbAlready;
        ColourValue device;
        ColourValue shown;
        const char *source;
        const char *problem;
    } rows[] = {
        {ColourSpace::Srgb, swapping, false, Orange, RGB(128, 255, 0),
         "sRGB (プロファイル変換): Swapped", ""},
        {ColourSpace::Device, swapping, false, Orange, Orange, "デバイス値 (プロファイル: Swapped)",
         ""},
        {ColourSpace::Srgb, nameless, false, Orange, RGB(128, 255, 0),
         "sRGB (プロファイル変換): 名前のないプロファイル", ""},
        {ColourSpace::Srgb, nullptr, false, Orange, Orange,
         "ディスプレイのプロファイルなし: sRGB = デバイス値", ""},
        {ColourSpace::Device, nullptr, false, Orange, Orange,
         "デバイス値 (ディスプレイのプロファイルなし)", ""},
        {ColourSpace::Srgb, empty, false, Orange, Orange, "ディスプレイのプロファイルなし", ""},
        {ColourSpace::Srgb, broken, false, Orange, Orange,
         "プロファイルを使えません: デバイス値を表示 (Broken)",
         "monitor 1 (Broken) cannot be used: no such profile; device values are shown"},
        {ColourSpace::Device, broken, false, Orange, Orange, "デバイス値 (プロファイル: Broken)",
         ""},
        {ColourSpace::Srgb, swapping, true, Orange, Orange, "デバイス値 = sRGB (変換なし)", ""},
        {ColourSpace::Srgb, swapping, false, CLR_INVALID, CLR_INVALID, "sRGB (プロファイル変換)",
         ""},
        {ColourSpace::Srgb, swapping, false, COLOR_BTNFACE_REF, COLOR_BTNFACE_REF, "sRGB", ""},
    };
    for (const auto &row : rows) {
        FakeEngine engine;
        ProfileConversion conversion(&engine);
        const ConvertedColour got =
            conversion.Convert(row.device, row.space, 0, row.profile, row.srgbAlready);
        CHECK_EQ(got.colour, row.shown);
        CHECK(got.source.find(row.source) != std::string::npos);
        CHECK(std::string(row.problem).empty()
                  ? got.problem.empty()
                  : got.problem.find(row.problem) != std::string::npos);
        if (got.source.find(row.source) == std::string::npos)
            FAIL_CHECK("  said: " << got.source);
    }
    ProfileConversion without(nullptr); // a platform with no engine: device values, said why
    const ConvertedColour got = without.Convert(Orange, ColourSpace::Srgb, 1, swapping);
    CHECK_EQ(got.colour, Orange);
    CHECK(got.problem.find("monitor 2 (Swapped) cannot be used: no colour engine") !=
          std::string::npos);
}

TEST_CASE("a transform is made once per monitor's profile and kept until that profile changes") {
    FakeEngine engine;
    ProfileConversion conversion(&engine);
    const ProfileBytes swapping = Shared(MadeProfile('S', "Swapped"));
    const ProfileBytes squaring = Shared(MadeProfile('Q', "Squared"));
    const ProfileBytes broken = Shared(MadeProfile('X', "Broken"));
    const struct {
        int monitor;
        ProfileBytes profile;
        ColourSpace space;
        int asked; // transforms asked of the engine so far
    } steps[] = {
        {0, swapping, ColourSpace::Device, 0}, // none needed for device values
        {0, swapping, ColourSpace::Srgb, 1},
        {0, swapping, ColourSpace::Srgb, 1},
        {0, Shared(MadeProfile('S', "Swapped")), ColourSpace::Srgb, 1}, // read again, same bytes
        {1, squaring, ColourSpace::Srgb, 2},                            // a monitor of its own
        {0, swapping, ColourSpace::Srgb, 2},
        {1, squaring, ColourSpace::Srgb, 2},
        {0, squaring, ColourSpace::Srgb, 3}, // the profile changed
        {0, broken, ColourSpace::Srgb, 4},
        {0, broken, ColourSpace::Srgb, 4}, // refused once is enough
        {0, nullptr, ColourSpace::Srgb, 4},
    };
    int step = 0;
    for (const auto &row : steps) {
        conversion.Convert(RGB(1, 2, 3), row.space, row.monitor, row.profile);
        CHECK_EQ(engine.asked, row.asked);
        if (engine.asked != row.asked)
            FAIL_CHECK("  at step " << step);
        ++step;
    }
    // Each monitor's own transform: squaring on the second, swapping on the first.
    CHECK_EQ(conversion.Convert(RGB(255, 51, 0), ColourSpace::Srgb, 1, squaring).colour,
             RGB(255, 10, 0));
    CHECK_EQ(conversion.Convert(RGB(255, 51, 0), ColourSpace::Srgb, 0, swapping).colour,
             RGB(51, 255, 0));
}

TEST_CASE("[Colour] Space: 1 is sRGB, anything else device values; written after [Loupe]") {
    const struct {
        const char *ini;
        ColourSpace space;
    } rows[] = {
        {"", ColourSpace::Device},
        {"[Colour]\nSpace=1\n", ColourSpace::Srgb},
        {"[Colour]\nSpace=0\n", ColourSpace::Device},
        {"[Colour]\nSpace=2\n", ColourSpace::Device},
        {"[Colour]\nSpace=x\n", ColourSpace::Device},
        {"[Output]\nSpace=1\n", ColourSpace::Device}, // another section's key
    };
    for (const auto &row : rows) {
        Window t;
        t.StoreIni(row.ini);
        t.w.Form_Load();
        CHECK(t.w.Space() == row.space);
        CHECK(PrintedColourSpace(t.settings, std::nullopt) == row.space);
        CHECK(PrintedColourSpace(t.settings, ColourSpace::Device) == ColourSpace::Device);
    }
    Window t;
    t.StoreIni("[Position]\nLeft=0\nTop=0\n[Output]\nUpperCase=0\nType=1\n");
    t.w.Form_Load();
    t.w.PreviewMenu_Click(301); // sRGB (プロファイル変換)
    t.Close();
    CHECK_EQ(t.Ini(), "[Position]\nLeft=0\nTop=0\n[Output]\nUpperCase=0\nType=1\n[Loupe]\nVisible="
                      "0\nZoom=8\nSample=1\n"
                      "[Colour]\nSpace=1\n[History]\nKeep=0\n");
}

TEST_CASE("the window in sRGB: preview, texts, capture and tip converted; the loupe as read") {
    Window t;
    t.w.Form_Load();
    t.desktop.profile = Shared(MadeProfile('S', "Swapped"));
    t.desktop.pixel = RGB(255, 0, 0);
    t.w.PreviewMenu_Click(1); // the loupe shown
    t.Tick();
    CHECK_EQ(t.view.preview, RGB(255, 0, 0)); // device values until sRGB is chosen
    CHECK_EQ(t.view.Tip(), "吸い取り有効/無効\nデバイス値 (プロファイル: Swapped)");
    t.w.PreviewMenu_Click(301);
    CHECK_EQ(t.view.preview, RGB(0, 255, 0)); // at once, without a tick
    CHECK_EQ(t.view.texts.code, "#00FF00");
    CHECK_EQ(t.view.Tip(), "吸い取り有効/無効\nsRGB (プロファイル変換): Swapped");
    const std::size_t told = t.view.tips.size();
    t.Tick(true);                       // a capture
    CHECK_EQ(t.view.tips.size(), told); // told only when it changes
    CHECK_EQ(t.Clipboard(), "#00FF00");
    CHECK_EQ(t.w.Swatches().Swatch(0), RGB(0, 255, 0));
    // The loupe shows the screen's own pixels.
    PixelSquare read = UnreadSquare({10, 20}, LoupeReach(8));
    read.pixels.assign(read.pixels.size(), RGB(255, 0, 0));
    CHECK(t.view.loupes.back() == DrawLoupe(read, 8, 1));
    t.w.PreviewMenu_Click(300); // held: the held read in device values
    CHECK(t.w.Held());
    CHECK_EQ(t.view.preview, RGB(255, 0, 0));
    t.w.Picture3_Click(0); // a swatch stays as captured, whatever the space
    t.w.PreviewMenu_Click(301);
    CHECK_EQ(t.view.preview, RGB(0, 255, 0));
    t.w.PreviewMenu_Click(300);
    CHECK_EQ(t.view.preview, RGB(0, 255, 0));
    CHECK(t.desktop.said.empty());
}

TEST_CASE("an averaged sample is averaged on device values, then converted") {
    Window t;
    t.StoreIni("[Loupe]\nSample=3\n[Colour]\nSpace=1\n");
    t.w.Form_Load();
    t.desktop.profile = Shared(MadeProfile('Q', "Squared"));
    // Half the pixels 255, half 0 in red: the mean 142 squares to 79; the mean of the squares
    // would be 142.
    t.desktop.paint = [](ScreenPoint at) { return RGB((at.x + at.y) % 2 ? 0 : 255, 0, 0); };
    t.Tick();
    CHECK_EQ(t.view.preview, RGB(79, 0, 0));
    const PointerColour printed =
        ColourUnderPointer(t.desktop, 3, "no pointer", ColourSpace::Srgb, &t.engine);
    CHECK_EQ(printed.colour, RGB(79, 0, 0));
    CHECK(printed.warning.empty());
}

TEST_CASE("a broken profile is said once, and the device value shown") {
    Window t;
    t.StoreIni("[Colour]\nSpace=1\n");
    t.w.Form_Load();
    t.desktop.profile = Shared(MadeProfile('X', "Broken"));
    t.desktop.pixel = RGB(10, 20, 30);
    t.Tick();
    t.Tick();
    CHECK_EQ(t.view.preview, RGB(10, 20, 30));
    CHECK_EQ(t.desktop.said.size(), std::size_t{1});
    CHECK((!t.desktop.said.empty() &&
           t.desktop.said[0].find("(Broken) cannot be used") != std::string::npos));
    CHECK_EQ(t.engine.asked, 1);
    CHECK_EQ(t.view.Tip(),
             "吸い取り有効/無効\nプロファイルを使えません: デバイス値を表示 (Broken)");
    const PointerColour printed =
        ColourUnderPointer(t.desktop, 1, "no pointer", ColourSpace::Srgb, &t.engine);
    CHECK_EQ(printed.colour, RGB(10, 20, 30));
    CHECK((printed.Read() && printed.warning.find("cannot be used") != std::string::npos));
    // Pixels the desktop hands over in sRGB already are not converted again.
    t.desktop.profile = Shared(MadeProfile('S', "Swapped"));
    t.desktop.srgbPixels = true;
    t.Tick();
    CHECK_EQ(t.view.preview, RGB(10, 20, 30));
    CHECK_EQ(t.desktop.said.size(), std::size_t{1});
}

TEST_CASE("--space gives --print device values or sRGB, nothing else") {
    const struct {
        std::vector<std::string> arguments;
        int space; // -2: refused
        const char *says;
    } rows[] = {
        {{"--print"}, -1, ""},
        {{"--print", "--space", "device"}, 0, ""},
        {{"--space=srgb", "--print"}, 1, ""},
        {{"--print", "--space", "sRGB"}, -2, "--space takes device or srgb, not 'sRGB'"},
        {{"--print", "--space"}, -2, "not ''"},
        {{"--print", "--space=adobe"}, -2, "not 'adobe'"},
        {{"--space", "srgb"}, -2, "--average and --space go with --print"},
        {{"--capture", "--space", "device"}, -2, "--capture takes no --print options"},
    };
    FrontEndOptions bare{"Usage: kalvor ...\n", "help text", "1.0", nullptr};
    for (const auto &row : rows) {
        std::vector<std::string> arguments{"kalvor"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const CommandOptions got = ParseOptions(arguments, bare);
        CHECK_EQ(got.action, row.space == -2 ? CommandOptions::Misuse : CommandOptions::Print);
        CHECK_EQ(got.space, row.space == -2 ? -1 : row.space);
        CHECK(got.message.find(row.says) != std::string::npos);
    }
    const std::string help = HelpText({});
    CHECK((help.find("--space S") != std::string::npos &&
           help.find("device  the value") != std::string::npos &&
           help.find("srgb    converted from the display's colour profile") != std::string::npos));
    CHECK(UsageText({}).find("[--space device|srgb]") != std::string::npos);
}

CHECK_MAIN
