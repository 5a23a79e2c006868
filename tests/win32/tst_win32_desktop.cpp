// The Windows desktop: where the settings go, the swatch picture and the clipboard.
#include "Testing.h"
#include "core/sampling/KeyState.h"
#include "platform/win32/SettingsFolder.h"
#include "platform/win32/SpaceWatch.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Screen.h"
#include "win32/SwatchImage.h"
#include "win32/Win32Desktop.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

namespace fs = std::filesystem;

TEST_CASE("settings go beside the program when it can write there, else to roaming data") {
    struct Row {
        bool programUsable;
        const char *roaming;
        const char *expected;
        bool installed = false;
    };
    const Row rows[] = {
        {true, "C:\\Users\\u\\AppData\\Roaming", "C:\\Kalvor"},
        // Installed, run as administrator: never into the program's folder.
        {true, "C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u\\AppData\\Roaming\\Kalvor", true},
        {false, "C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u\\AppData\\Roaming\\Kalvor"},
        {false, "", "C:\\Kalvor"}, // nowhere better: settings are simply not saved
    };
    for (const Row &row : rows) {
        const SettingsPlaces places{
            "C:\\Kalvor", row.roaming,
            [&](const std::string &folder) { return folder == "C:\\Kalvor" && row.programUsable; },
            row.installed};
        CHECK_EQ(ChooseSettingsFolder(places), std::string(row.expected));
    }
}

TEST_CASE("the settings file's path is absolute wherever the program is, a drive's root too") {
    struct Row {
        const char *program;
        const char *folder;
        const char *file;
    };
    const Row rows[] = {
        {"C:\\Tools\\Kalvor\\kalvor.exe", "C:\\Tools\\Kalvor", "C:\\Tools\\Kalvor\\Kalvor.ini"},
        {"E:\\kalvor.exe", "E:\\",
         "E:\\Kalvor.ini"}, // not "E:Kalvor.ini", the drive's current folder
        {"\\\\?\\E:\\kalvor.exe", "\\\\?\\E:\\", "\\\\?\\E:\\Kalvor.ini"},
        {"\\\\server\\share\\kalvor.exe", "\\\\server\\share", "\\\\server\\share\\Kalvor.ini"},
    };
    for (const Row &row : rows) {
        CHECK_EQ(FolderOf(row.program), std::string(row.folder));
        CHECK_EQ(FileIn(row.folder, "Kalvor.ini"), std::string(row.file));               // --print
        CHECK_EQ((fs::path(row.folder) / "Kalvor.ini").string(), std::string(row.file)); // window
    }
    const SettingsPlaces atRoot{"E:\\", "F:\\", [](const std::string &) { return false; }};
    CHECK_EQ(ChooseSettingsFolder(atRoot), std::string("F:\\Kalvor"));
}

TEST_CASE("a folder is usable when a file can be made in it, whatever script names it") {
    // Wide paths throughout: the narrow forms would read the names in the ANSI code page.
    const fs::path base = fs::temp_directory_path() / "kalvor-folders";
    const fs::path odd = base / Widen("\xe8\xa8\xad\xe5\xae\x9a\xf0\x9f\x8e\xa8"); // 設定🎨
    std::error_code error;
    fs::remove_all(base, error);
    fs::create_directories(base / "plain", error);
    fs::create_directories(odd, error);
    CHECK_EQ(error.value(), 0); // under wine: a POSIX locale cannot name such a folder
    CHECK(FolderIsUsable(Narrow((base / "plain").wstring())));
    CHECK(fs::is_empty(base / "plain", error)); // the probe file is gone again
    CHECK(!FolderIsUsable(Narrow((base / "missing").wstring())));
    CHECK(FolderIsUsable(Narrow(odd.wstring())));
    // Installed: the installer's uninstaller beside it, or anywhere under Program Files.
    CHECK(!IsInstalledCopy(Narrow(odd.wstring())));
    std::ofstream(odd / "uninstall.exe").put('x');
    CHECK(IsInstalledCopy(Narrow(odd.wstring())));
    CHECK((IsInstalledCopy("C:\\PROGRAM FILES\\Kalvor") && IsInstalledCopy("C:\\Program Files")));
    CHECK(!IsInstalledCopy("C:\\Program Files Kalvor"));
    fs::remove_all(base, error);
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
    CHECK((ink > 33 && ink < 33 * 33 / 2));
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
    NullScreenReader screen;
    Win32Desktop desktop(screen);
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
    Win32Screen screen;
    Win32Desktop desktop(screen);
    CHECK_EQ(desktop.GetAsyncKeyState(0x41), std::uint16_t(0));
    CHECK(screen.HookInstalled());
    const auto screens = desktop.Screens();
    CHECK(!screens.empty());
    CHECK(!desktop.SettingsFolder().empty());
}

TEST_CASE("down now is the key's own state; the hook adds only the presses between ticks") {
    SpaceWatch watch;
    watch.Reset(false);
    // A press whose release the hook never sees: one press, then nothing while the key is up.
    watch.KeyDown();
    CHECK_EQ(watch.Query(true).state, std::uint16_t(KeyDownNow | KeyPressedSince));
    for (int tick = 0; tick < 4; ++tick)
        CHECK_EQ(watch.Query(false).state, std::uint16_t(0));
    // The next press counts again; its auto-repeats do not.
    watch.KeyDown();
    watch.KeyDown();
    CHECK_EQ(watch.Query(true).state, std::uint16_t(KeyDownNow | KeyPressedSince));
    watch.KeyDown();
    CHECK_EQ(watch.Query(true).state, std::uint16_t(KeyDownNow));
    watch.KeyUp();
    // A tap between two ticks.
    watch.KeyDown();
    watch.KeyUp();
    CHECK_EQ(watch.Query(false).state, std::uint16_t(KeyPressedSince));
    // Down with no press seen: the hook is gone.
    const SpaceWatch::Answer missed = watch.Query(true);
    CHECK(missed.hookMissedPress);
    CHECK_EQ(missed.state, std::uint16_t(KeyDownNow));
    watch.KeyDown();
    CHECK(!watch.Query(true).hookMissedPress);
}

TEST_CASE("the hook sees a press while the window's thread is busy") {
    Win32Screen screen;
    screen.GetAsyncKeyState(VK_SPACE);
    INPUT keys[2] = {};
    for (INPUT &key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = VK_SPACE;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    // Typed elsewhere while this thread pumps no messages: a hook that needed this thread
    // would hold the key up, then be dropped.
    UINT sent = 0;
    std::thread typist([&] { sent = SendInput(2, keys, sizeof(INPUT)); });
    Sleep(600);
    typist.join();
    CHECK_EQ(sent, UINT(2));
    CHECK_EQ(screen.GetAsyncKeyState(VK_SPACE) & KeyPressedSince, int(KeyPressedSince));
}

TEST_CASE("a clipboard held a while is waited for; one held long is told to the user") {
    NullScreenReader screen;
    Win32Desktop desktop(screen);
    std::vector<std::string> notices;
    desktop.ShowNoticesWith([&](const std::string &message) { notices.push_back(message); });
    for (const DWORD holdMs : {200u, 3000u}) {
        std::promise<void> opened;
        std::thread holder([&] {
            // Opened for a window, as another program would: not for this process at large.
            HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          nullptr, nullptr);
            const bool got = OpenClipboard(window);
            opened.set_value();
            Sleep(holdMs);
            if (got)
                CloseClipboard();
            DestroyWindow(window);
        });
        opened.get_future().wait();
        desktop.CopyToClipboard(holdMs == 200 ? "#0a0b0c" : "#ffffff", RGB(10, 11, 12));
        holder.join();
        CHECK_EQ(ReadClipboard().unicodeText, std::string("#0a0b0c"));
        CHECK_EQ(notices.size(), size_t(holdMs == 200 ? 0 : 1));
    }
}

CHECK_MAIN
