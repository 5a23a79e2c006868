// The settings file on Windows as IniMod uses it: through the program's own reader and writer on
// the Windows file store, and through the platform's profile functions, which must agree.
#include "Check.h"
#include "core/FenwoMain.h"
#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "platform/win32/PrivateProfile.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32FileStore.h"
#include "support/FakeDesktop.h"
#include "support/FakeView.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path folder;
    Scratch() {
        folder = fs::temp_directory_path() / ("kalvor-profile-" + std::to_string(++made()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    static int &made() {
        static int count = 0;
        return count;
    }
    std::string Path() const { return (folder / "Kalvor.ini").string(); }
    void Write(const std::string &bytes) const {
        std::ofstream(folder / "Kalvor.ini", std::ios::binary) << bytes;
    }
    std::string Read() const {
        std::ifstream in(folder / "Kalvor.ini", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    bool Exists() const { return fs::exists(folder / "Kalvor.ini"); }
};

Win32FileStore files;
IniFileProfile ownProfile(files);
PrivateProfile platformProfile;
Profile *const profiles[] = {&ownProfile, &platformProfile};

std::string Slurp(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

size_t FilesIn(const fs::path &folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST_CASE("reads: defaults, empty values, long values and names in any case") {
    struct Row {
        const char *file;
        const char *section;
        const char *key;
        const char *defaultValue;
        std::string expected;
    };
    const Row rows[] = {
        {nullptr, "Output", "Type", "0", "0"},
        {nullptr, "Position", "Left", "900  ", "900"}, // trailing blanks of a default go
        {"[Position]\r\nLeft=\r\n", "Position", "Left", "900", ""},
        {"[Output]\r\nType=2\r\n", "oUTPUT", "TYPE", "0", "2"},
        {"[Output]\r\nType=2\r\n", "Output", "UpperCase", "1", "1"},
        {"[Output]\r\nType = 2 \r\n", "Output", "Type", "0", "2"},
        {"[S]\r\nk=\"7\"\r\n", "S", "k", "x", "7"},
        {"[S]\nk=1 ;x\n", "S", "k", "x", "1 ;x"},
    };
    for (Profile *profile : profiles) {
        for (const Row &row : rows) {
            Scratch scratch;
            if (row.file)
                scratch.Write(row.file);
            IniMod ini(*profile);
            ini.SetIniPath(scratch.Path());
            CHECK_EQ(ini.ReadIni(row.section, row.key, row.defaultValue), row.expected);
            CHECK_EQ(scratch.Exists(), row.file != nullptr); // a read never creates the file
        }
        Scratch scratch;
        scratch.Write("[S]\r\nk=" + std::string(300, 'v') + "\r\n");
        IniMod ini(*profile);
        ini.SetIniPath(scratch.Path());
        CHECK_EQ(ini.ReadIni("S", "k", ""), std::string(254, 'v'));
    }
}

TEST_CASE("writes: a new file holds the keys in the order written, with CRLF") {
    for (Profile *profile : profiles) {
        Scratch scratch;
        IniMod ini(*profile);
        ini.SetIniPath(scratch.Path());
        CHECK(ini.WriteIni({{"Position", "Left", "900"},
                            {"Position", "Top", "-45"},
                            {"Output", "UpperCase", "1"},
                            {"Output", "Type", "2"}}));
        CHECK_EQ(scratch.Read(),
                 std::string("[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nUpperCase=1\r\n"
                             "Type=2\r\n"));
        // A second close replaces values in their lines.
        CHECK(ini.WriteIni({{"Output", "UpperCase", "0"}, {"Output", "Type", "-1"}}));
        CHECK_EQ(ini.ReadIni("Output", "UpperCase", "1"), std::string("0"));
        CHECK_EQ(ini.ReadIni("Output", "Type", "0"), std::string("-1"));
        CHECK_EQ(ini.ReadIni("Position", "Left", "0"), std::string("900"));
    }
}

TEST_CASE("a settings folder named in any script reads and saves, through the window's logic") {
    // Accented, outside every ANSI code page but one, Japanese, and beyond 16 bits.
    for (Profile *profile : profiles) {
        for (const char *name :
             {"Caf\xc3\xa9", "\xc5\x81\xc3\xb3\x64\xc5\xba", "\xe5\xb1\xb1\xe7\x94\xb0",
              "\xe8\xa8\xad\xe5\xae\x9a\xf0\x9f\x8e\xa8"}) {
            Scratch scratch;
            const fs::path folder = scratch.folder / Widen(name);
            std::error_code error;
            fs::create_directories(folder, error);
            CHECK_EQ(error.value(), 0); // under wine: a POSIX locale cannot name such a folder
            std::ofstream(folder / "Kalvor.ini", std::ios::binary)
                << "[Position]\r\nLeft=1500\r\nTop=750\r\n[Output]\r\nUpperCase=0\r\nType=2\r\n";
            FakeDesktop desktop;
            desktop.settingsFolder = Narrow(folder.wstring());
            FakeView view;
            IniMod settings(*profile);
            FenwoMain window(view, desktop, settings);
            window.Form_Load();
            CHECK_EQ(view.moves.size(), size_t(1));
            CHECK(!view.moves.empty() && view.moves.back().x == 100 && view.moves.back().y == 50);
            CHECK_EQ(view.format, 2);
            window.Form_Moved(200, 60);
            int cancel = 0;
            window.Form_QueryUnload(cancel, 0);
            std::ifstream in(folder / "Kalvor.ini", std::ios::binary);
            const std::string saved{std::istreambuf_iterator<char>(in), {}};
            CHECK_EQ(saved,
                     std::string("[Position]\r\nLeft=3000\r\nTop=900\r\n[Output]\r\nUpperCase=0\r\n"
                                 "Type=2\r\n[Loupe]\r\nVisible=0\r\nZoom=8\r\nSample=1\r\n"));
            CHECK(desktop.said.empty());
        }
    }
}

TEST_CASE("a UTF-16 file is read and stays UTF-16 when written") {
    for (Profile *profile : profiles) {
        Scratch scratch;
        const std::u16string text = u"[Output]\r\nType=2\r\n[\u8a2d\u5b9a]\r\nk=\u00e9\r\n";
        scratch.Write(std::string("\xff\xfe") +
                      std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2));
        IniMod ini(*profile);
        ini.SetIniPath(scratch.Path());
        CHECK_EQ(ini.ReadIni("Output", "Type", "0"), std::string("2"));
        CHECK_EQ(ini.ReadIni("\xe8\xa8\xad\xe5\xae\x9a", "k", ""), std::string("\xc3\xa9"));
        CHECK(ini.WriteIni({{"Output", "Type", "1"}, {"Position", "Left", "900"}}));
        const std::u16string after =
            u"[Output]\r\nType=1\r\n[\u8a2d\u5b9a]\r\nk=\u00e9\r\n[Position]\r\n"
            u"Left=900\r\n";
        CHECK_EQ(scratch.Read(),
                 std::string("\xff\xfe") +
                     std::string(reinterpret_cast<const char *>(after.data()), after.size() * 2));
    }
}

TEST_CASE("the file store tells a file, a folder and a read-only file apart") {
    Scratch scratch;
    scratch.Write("[Output]\r\nType=1\r\n");
    const fs::path readOnly = scratch.folder / "read-only.ini";
    std::ofstream(readOnly, std::ios::binary) << "x";
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    struct Row {
        fs::path path;
        FileStore::State state;
        bool writable;
        const char *bytes;
    };
    const Row rows[] = {
        {scratch.folder / "missing.ini", FileStore::State::Missing, false, ""},
        {scratch.folder, FileStore::State::NotAFile, false, ""},
        {scratch.folder / "Kalvor.ini", FileStore::State::Readable, true, "[Output]\r\nType=1\r\n"},
        {readOnly, FileStore::State::Readable, false, "x"},
    };
    for (const Row &row : rows) {
        const FileStore::Contents contents = files.Load(Narrow(row.path.wstring()));
        CHECK(contents.state == row.state);
        CHECK_EQ(contents.writable, row.writable);
        CHECK_EQ(contents.bytes, std::string(row.bytes));
    }
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("the file store replaces a file whole, makes its folders and keeps its marks") {
    Scratch scratch;
    const fs::path folder = scratch.folder / Widen("\xe8\xa8\xad\xe5\xae\x9a") / "sub";
    const fs::path file = folder / "Kalvor.ini";
    const std::string path = Narrow(file.wstring());
    CHECK_EQ(files.Replace(path, "[Output]\r\nType=1\r\n"), std::string());
    CHECK_EQ(Slurp(file), std::string("[Output]\r\nType=1\r\n"));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    CHECK_EQ(files.Replace(path, "; shorter\n"), std::string());
    CHECK_EQ(Slurp(file), std::string("; shorter\n"));
    CHECK((GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0);
    CHECK_EQ(FilesIn(folder), size_t(1)); // no temporary left behind

    // Another program holds it open and lets no one delete it: it is written where it stands.
    const HANDLE other = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(other != INVALID_HANDLE_VALUE);
    CHECK_EQ(files.Replace(path, "[Output]\r\nType=2\r\nUpperCase=0\r\n"), std::string());
    CloseHandle(other);
    CHECK_EQ(Slurp(file), std::string("[Output]\r\nType=2\r\nUpperCase=0\r\n"));
    CHECK_EQ(FilesIn(folder), size_t(1));

    // Under a plain file no folder can be made: said, and nothing written.
    const std::string under = Narrow((file / "Kalvor.ini").wstring());
    CHECK(!files.Replace(under, "x").empty());
    CHECK_EQ(Slurp(file), std::string("[Output]\r\nType=2\r\nUpperCase=0\r\n"));
}

// Run by scripts/test-windows.sh on a small disk of its own, which it names here.
TEST_CASE("a full disk loses nothing and leaves no temporary") {
    wchar_t disk[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"KALVOR_SMALL_DISK", disk, MAX_PATH)) {
        std::fprintf(stderr, "full disk: skipped here, run on a small disk by test-windows.sh\n");
        return;
    }
    const fs::path file = fs::path(disk) / "Kalvor.ini";
    std::string bytes = "[Output]\r\nType=1\r\n";
    for (int i = 0; i < 400; ++i)
        bytes += "; a comment line that makes the file need more than one block " +
                 std::to_string(i) + "\r\n";
    std::ofstream(file, std::ios::binary) << bytes;
    {
        std::ofstream fill(fs::path(disk) / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (fill.write(block.data(), static_cast<std::streamsize>(block.size())) &&
               fill.flush()) {
        }
    }
    IniMod ini(ownProfile);
    ini.SetIniPath(Narrow(file.wstring()));
    CHECK(!ini.WriteIni({{"Output", "Type", "2"}}));
    CHECK_EQ(Slurp(file), bytes);
    CHECK_EQ(FilesIn(disk), size_t(2));
    fs::remove(fs::path(disk) / "filler");
    CHECK(ini.WriteIni({{"Output", "Type", "2"}}));
    CHECK_EQ(ini.ReadIni("Output", "Type", "0"), std::string("2"));
}

CHECK_MAIN
