// The settings file through the platform's profile functions, as IniMod uses them.
#include "Check.h"
#include "core/settings/IniMod.h"
#include "win32/PrivateProfile.h"

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

PrivateProfile profile;

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
    for (const Row &row : rows) {
        Scratch scratch;
        if (row.file)
            scratch.Write(row.file);
        IniMod ini(profile);
        ini.SetIniPath(scratch.Path());
        CHECK_EQ(ini.ReadIni(row.section, row.key, row.defaultValue), row.expected);
        CHECK_EQ(scratch.Exists(), row.file != nullptr); // a read never creates the file
    }
    Scratch scratch;
    scratch.Write("[S]\r\nk=" + std::string(300, 'v') + "\r\n");
    IniMod ini(profile);
    ini.SetIniPath(scratch.Path());
    CHECK_EQ(ini.ReadIni("S", "k", ""), std::string(254, 'v'));
}

TEST_CASE("writes: a new file holds the keys in the order written, with CRLF") {
    Scratch scratch;
    IniMod ini(profile);
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

TEST_CASE("a path the ANSI code page cannot spell reads defaults and saves nothing") {
    Scratch scratch;
    const std::string path = (scratch.folder / "\xe8\xa8\xad\xe5\xae\x9a\xf0\x9f\x8e\xa8.ini")
                                 .string(); // "設定" and an emoji: in no ANSI code page whole
    CHECK(!profile.Get(path, "Output", "Type").has_value());
    CHECK(!profile.Put(path, {{"Output", "Type", "1"}}).empty());
    CHECK(fs::is_empty(scratch.folder));
}

CHECK_MAIN
