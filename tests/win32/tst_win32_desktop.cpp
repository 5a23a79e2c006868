// The Windows desktop: where the settings go, the swatch picture and the clipboard.
#include "Check.h"
#include "win32/SettingsFolder.h"
#include "win32/SwatchImage.h"
#include "win32/Text.h"
#include "win32/Win32Desktop.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

TEST_CASE("settings go beside the program when it can write there, else to roaming data") {
    struct Row {
        bool programUsable;
        const char *roaming;
        const char *expected;
    };
    const Row rows[] = {
        {true, "C:\\Users\\u\\AppData\\Roaming", "C:\\Kalvor"},
        {false, "C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u\\AppData\\Roaming\\Kalvor"},
        {false, "", "C:\\Kalvor"}, // nowhere better: settings are simply not saved
    };
    for (const Row &row : rows) {
        const SettingsPlaces places{"C:\\Kalvor", row.roaming, [&](const std::string &folder) {
                                        return folder == "C:\\Kalvor" && row.programUsable;
                                    }};
        CHECK_EQ(ChooseSettingsFolder(places), std::string(row.expected));
    }
}

TEST_CASE("a folder is usable when a file can be made in it and its name spelled in ANSI") {
    const fs::path base = fs::temp_directory_path() / "kalvor-folders";
    fs::remove_all(base);
    fs::create_directories(base / "plain");
    fs::create_directories(base / fs::u8path("\xe8\xa8\xad\xe5\xae\x9a\xf0\x9f\x8e\xa8"));
    CHECK(FolderIsUsable((base / "plain").string()));
    CHECK(fs::is_empty(base / "plain")); // the probe file is gone again
    CHECK(!FolderIsUsable((base / "missing").string()));
    CHECK(!FolderIsUsable(
        Narrow((base / fs::u8path("\xe8\xa8\xad\xe5\xae\x9a\xf0\x9f\x8e\xa8")).wstring())));
    fs::remove_all(base);
}

TEST_CASE("texts cross between UTF-8 and UTF-16 unchanged") {
    for (const std::string text :
         {"", "#1E69D2", "\xe5\xa4\xa7\xe6\x96\x87\xe5\xad\x97", "HTML\xe8\x89\xb2"})
        CHECK_EQ(Narrow(Widen(text)), text);
}

TEST_CASE("a swatch is its colour, a system colour's colour, or a hatch for a failed read") {
    const SwatchColours colours{0xF0F0F0, 0x000000,
                                [](int index) { return index == 15 ? 0x00C0C0C0u : 0x00FF00FFu; }};
    const auto solid = SwatchPixels(RGB(30, 105, 210), 33, 33, colours);
    CHECK_EQ(solid.size(), size_t(33 * 33));
    CHECK(std::all_of(solid.begin(), solid.end(), [](auto p) { return p == 0x1E69D2u; }));
    const auto face = SwatchPixels(COLOR_BTNFACE_REF, 4, 4, colours);
    CHECK(std::all_of(face.begin(), face.end(), [](auto p) { return p == 0xC0C0C0u; }));
    const auto hatch = SwatchPixels(CLR_INVALID, 33, 33, colours);
    const auto ink = std::count(hatch.begin(), hatch.end(), 0x000000u);
    CHECK(ink > 33 && ink < 33 * 33 / 2);
    CHECK_EQ(ink + std::count(hatch.begin(), hatch.end(), 0xF0F0F0u), std::ptrdiff_t(33 * 33));
}

TEST_CASE("the clipboard's bitmap is a bottom-up 24-bit DIB with padded rows") {
    // Two rows of 3: red on top, blue below.
    const std::vector<std::uint32_t> pixels = {0xFF0000, 0xFF0000, 0xFF0000,
                                               0x0000FF, 0x0000FF, 0x0000FF};
    const auto dib = PackedDib(pixels, 3, 2);
    CHECK_EQ(dib.size(), size_t(40 + 2 * 12)); // 9 bytes a row, padded to 12
    CHECK_EQ(int(dib[0]), 40);
    CHECK_EQ(int(dib[4]), 3);
    CHECK_EQ(int(dib[8]), 2);
    CHECK_EQ(int(dib[14]), 24);
    CHECK_EQ(int(dib[40]), 0xFF); // first stored row is the bottom one: blue, as B G R
    CHECK_EQ(int(dib[42]), 0x00);
    CHECK_EQ(int(dib[52 + 2]), 0xFF); // then the top row: red
    CHECK_EQ(int(dib[52]), 0x00);
}

TEST_CASE("one copy puts text, ANSI text and the 33x33 swatch up together, replacing all") {
    Win32Desktop desktop;
    desktop.CopyToClipboard("255,0,0", RGB(255, 0, 0));
    desktop.CopyToClipboard("#1e69d2", RGB(30, 105, 210));
    const ClipboardContents got = ReadClipboard();
    CHECK(got.opened);
    CHECK_EQ(got.unicodeText, std::string("#1e69d2"));
    CHECK_EQ(got.ansiText, std::string("#1e69d2"));
    CHECK_EQ(got.dibWidth, 33);
    CHECK_EQ(got.dibHeight, 33);
    CHECK_EQ(got.dibBits, 24);
    CHECK_EQ(got.dibCentre, 0x1E69D2u);
}

TEST_CASE("Space is only ever watched, no other key") {
    Win32Desktop desktop;
    CHECK_EQ(desktop.GetAsyncKeyState(0x41), std::uint16_t(0));
    CHECK(desktop.HookInstalled());
    const auto screens = desktop.Screens();
    CHECK(!screens.empty());
    CHECK(!desktop.SettingsFolder().empty());
}

CHECK_MAIN
