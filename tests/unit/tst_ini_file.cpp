// The settings file through IniMod and the program's own reader and writer: defaults, limits,
// odd files, one replacement per write, and a failure told once.
#include "Testing.h"
#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "core/settings/OutputOptions.h"
#include "support/MemoryFileStore.h"
#include "support/ReportingSettings.h"

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const std::string Path = "cfg/Kalvor.ini";
struct FreshStore {
    MemoryFileStore files;
};
// A fresh store, pointed at Path, that keeps what it tells.
struct Settings : FreshStore, ReportingSettings {
    Settings() : ReportingSettings(files, Path) {}
};

const std::vector<IniEntry> Closing = {{"Position", "Left", "900"},
                                       {"Position", "Top", "-45"},
                                       {"Output", "UpperCase", "1"},
                                       {"Output", "Type", "0"}};

// UTF-16 bytes of text, little- or big-endian.
std::string Utf16(std::u16string_view text, bool littleEndian = true) {
    std::string bytes;
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    }
    return bytes;
}

} // namespace

TEST_CASE("a missing file gives the defaults and stays missing") {
    Settings s;
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "0");
    CHECK_EQ(s.ini.ReadIni("Position", "Left", "900  "), "900"); // trailing blanks dropped
    CHECK_EQ(s.ini.ReadIni("Position", "Left", " 9 0 "), " 9 0");
    CHECK_EQ(s.ini.ReadIni("Position", "Left", "   "), "");
    CHECK(s.files.files.empty());
    s.files.Put(Path, "[Output]\nType=1\n");
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "1");
    s.ini.SetIniPath("");
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "7 "), "7"); // no path: defaults, never a file
    CHECK(!s.ini.WriteIni(Closing));
    CHECK_EQ(s.files.replaceCalls, 0);
}

TEST_CASE("values are cut at 254 bytes and at NUL") {
    Settings s;
    s.files.Put(Path, "[S]\nlong=" + std::string(300, '7') +
                          "\nnul=12\0"
                          "34\nempty=\n"s);
    CHECK_EQ(s.ini.ReadIni("S", "long", "d"), std::string(254, '7'));
    CHECK_EQ(s.ini.ReadIni("S", "nul", "d"), "12");
    CHECK_EQ(s.ini.ReadIni("S", "empty", "d"), "");
}

TEST_CASE("the closing write is one replacement holding all four keys") {
    Settings s;
    CHECK(s.ini.WriteIni(Closing));
    CHECK_EQ(s.files.replaceCalls, 1);
    CHECK_EQ(s.files.Bytes(Path),
             "[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nUpperCase=1\r\nType=0\r\n");

    const std::string mine = "; kept\r\n[Other]\nx = 1\r[Output]\r\nType=1\r\n\r\n[Tail]\ny=\0z\n"s;
    s.files.Put(Path, mine);
    s.files.replaceCalls = 0;
    CHECK(s.ini.WriteIni(Closing));
    CHECK_EQ(s.files.replaceCalls, 1);
    CHECK_EQ(s.files.Bytes(Path), "; kept\r\n[Other]\nx = 1\r[Output]\r\nType=0\r\nUpperCase=1\r\n"
                                  "\r\n[Tail]\ny=\0z\n[Position]\r\nLeft=900\r\nTop=-45\r\n"s);
    CHECK(s.ini.WriteIni(Closing)); // nothing to change: the file is left alone
    CHECK_EQ(s.files.replaceCalls, 1);
    s.ini.WriteIni("Output", "Type", "2");
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "2");
    // Read-only, yet it holds what would be written: nothing to save, nothing to tell.
    s.files.files[Path].writable = false;
    CHECK(s.ini.WriteIni({{"Output", "Type", "2"}, {"Position", "Left", "900"}}));
    CHECK_EQ(s.files.replaceCalls, 2);
    CHECK(s.reports.empty());
}

TEST_CASE("a file that cannot be written is told once, and left as it was") {
    const std::string bytes = "[Mine]\nsecret=1\n[Output]\nType=1\n";
    const struct {
        const char *name;
        FileStore::State state;
        bool writable;
        bool diskFull;
        const char *reads; // Type, as read before and after
    } rows[] = {
        {"read-only", FileStore::State::Readable, false, false, "1"},
        {"not a file", FileStore::State::NotAFile, true, false, "0"},
        {"unreadable", FileStore::State::Unreadable, true, false, "0"},
        {"full disk", FileStore::State::Readable, true, true, "1"},
    };
    for (const auto &row : rows) {
        Settings s;
        s.files.files[Path] = {row.state, bytes, row.writable};
        s.files.diskFull = row.diskFull;
        CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), row.reads);
        CHECK(!s.ini.WriteIni(Closing));
        CHECK(!s.ini.WriteIni(Closing)); // not told again
        s.ini.WriteIni("Output", "Type", "2");
        CHECK_EQ(s.reports.size(), 1u);
        if (!s.reports.empty())
            CHECK(s.reports[0].find(Path) != std::string::npos);
        CHECK_EQ(s.files.files[Path].bytes, bytes);
        CHECK_EQ(s.files.files[Path].state, row.state);
        CHECK_EQ(s.files.replaceCalls, row.diskFull ? 3 : 0);
        CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), row.reads);
        if (s.reports.size() != 1)
            FAIL_CHECK("  with a file that is " << row.name);
    }
}

TEST_CASE("a value that would break the file is not written") {
    Settings s;
    CHECK(!s.ini.WriteIni({{"Output", "Type", "1"}, {"Output", "Type", "2\r\n[Evil]"}}));
    CHECK_EQ(s.files.replaceCalls, 0); // not even the first entry
    CHECK_EQ(s.reports.size(), 1u);
}

TEST_CASE("a UTF-16 file is read, and written back in UTF-16 with its mark") {
    const std::u16string lone{u'\xD800', u'x', u'\xDC00', u'\xDFFF'}; // unpaired surrogates
    const std::u16string before =
        u"\xFEFF; \u8272 \U0001F3A8 " + lone + u"\r\n[Output]\r\nType=1\r\n";
    const std::u16string after = u"\xFEFF; \u8272 \U0001F3A8 " + lone +
                                 u"\r\n[Output]\r\nType=0\r\nUpperCase=1\r\n"
                                 u"[Position]\r\nLeft=900\r\nTop=-45\r\n";
    for (const bool littleEndian : {true, false}) {
        Settings s;
        s.files.Put(Path, Utf16(before, littleEndian));
        CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "1");
        CHECK(s.ini.WriteIni(Closing));
        CHECK_EQ(s.files.Bytes(Path), Utf16(after, littleEndian));
        CHECK_EQ(s.ini.ReadIni("Position", "Top", "0"), "-45");
        CHECK(s.ini.WriteIni(Closing));
        CHECK_EQ(s.files.replaceCalls, 1);
        CHECK(s.reports.empty());
    }
    // A last byte that is half a unit: read what is there, never write it.
    Settings s;
    const std::string cut = Utf16(before) + "[";
    s.files.Put(Path, cut);
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "1");
    CHECK(!s.ini.WriteIni(Closing));
    CHECK_EQ(s.files.Bytes(Path), cut);
    CHECK_EQ(s.reports.size(), 1u);
}

TEST_CASE("the options --print reads come from one read of the file") {
    Settings s;
    s.files.Put(Path, "[Output]\r\nUpperCase=0\r\nType=1\r\n");
    CHECK_EQ(PrintedCode(s.ini, 0xABCDEF, -1, -1), "efcdab");
    CHECK_EQ(s.files.loadCalls, 1);
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "1");
    CHECK_EQ(s.files.loadCalls, 2); // outside the pass, the file is read again
}

CHECK_MAIN
