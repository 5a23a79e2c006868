// The settings file's layout, byte for byte: what a read finds and what a write leaves.
#include "Testing.h"
#include "core/settings/IniText.h"

#include <optional>
#include <string>

using namespace std::string_literals;

TEST_CASE("lookup") {
    const std::string plain = "[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nUpperCase=1\r\n"
                              "Type=2\r\n";
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string file;
        const char *section;
        const char *key;
        std::optional<std::string> value;
    } rows[] = {
        {"", "Output", "Type", std::nullopt},
        {plain, "Other", "Type", std::nullopt},
        {plain, "Output", "Left", std::nullopt},
        {"Type=1\r\n[Output]\r\n", "Output", "Type", std::nullopt}, // outside any section
        {"[Output]\nType\n", "Output", "Type", std::nullopt},       // no '='
        {plain, "Position", "Top", "-45"},
        {plain, "Output", "Type", "2"},
        {"[Position]\nLeft=\n", "Position", "Left", ""},
        {plain, "oUTPUT", "uppercase", "1"},
        {"  [ Output ]  \n\t Type \t=\t 1 \n", " Output", "Type ", "1"},
        {"[Output]\nType=1\n[output]\nType=2\nUpperCase=0\n", "Output", "UpperCase",
         std::nullopt}, // the first section wins
        {"[Output]\nType=1\nTYPE=2\n", "Output", "Type", "1"},
        {"[S]\nk = a  b \n", "S", "k", "a  b"},
        {"[S]\nk=\" 7 \"\n", "S", "k", " 7 "},
        {"[S]\nk='7'\n", "S", "k", "7"},
        {"[S]\nk=\"7'\n", "S", "k", "\"7'"},
        {"[S]\nk=1 ;x\n", "S", "k", "1 ;x"}, // no inline comments
        {"[S]\n;k=1\n  ; k=2\nk=3\n", "S", "k", "3"},
        {"[S]\nk=a=b\n", "S", "k", "a=b"},
        {"[S]\rk=1\rj=2\r", "S", "j", "2"},
        {"[S]\r\nk=1\nj=2\rl=3", "S", "l", "3"},
        {"[S]\nk=1", "S", "k", "1"},
        {"[S]\nk=1\0002\n"s, "S", "k", "1\0002"s},
        {"[S\nk=1\n", "S", "k", "1"},
        {"[Output] ; see [notes]\nType=1\n", "Output", "Type", "1"}, // up to the first ']'
        {bom + "[Position]\r\nLeft=1\r\n", "Position", "Left", "1"},
        {"[S]\nk=" + std::string(300, 'v') + "\n", "S", "k", std::string(300, 'v')},
    };
    for (const auto &row : rows)
        CHECK_EQ(LookupValue(row.file, row.section, row.key).value_or("<missing>"),
                 row.value.value_or("<missing>"));
}

TEST_CASE("write") {
    const struct {
        std::string before;
        const char *section;
        const char *key;
        const char *value;
        std::string after;
    } rows[] = {
        {"", "Output", "Type", "0", "[Output]\r\nType=0\r\n"},
        {"[Position]\r\nLeft=900\r\n", "Output", "Type", "1",
         "[Position]\r\nLeft=900\r\n[Output]\r\nType=1\r\n"},
        {"[Position]\nLeft=900", "Output", "Type", "1", "[Position]\nLeft=900\n[Output]\nType=1\n"},
        {"[Position]\r\nLeft=900\r\n[Output]\r\nType=1\r\n", "Position", "Top", "-45",
         "[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nType=1\r\n"},
        {"[A]\nx=1\n\n\n[B]\n", "a", "y", "2", "[A]\nx=1\ny=2\n\n\n[B]\n"},
        {"[A]", "A", "y", "2", "[A]\r\ny=2\r\n"},
        {"[A]\rx=1\r", "A", "y", "2", "[A]\rx=1\ry=2\r"},
        {"x\r[A]\n\n[B]\r", "A", "y", "2", "x\r[A]\ny=2\n\n[B]\r"}, // the line end above
        {"; mine\r\n[Output]\r\nUpperCase=1\r\nType=2\r\n", "output", "TYPE", "-1",
         "; mine\r\n[Output]\r\nUpperCase=1\r\nType=-1\r\n"},
        {"[S]\n  kEy = old value \nz=1\n", "S", "key", "new", "[S]\n  kEy=new\nz=1\n"},
        {"[S]\nk=1\n[s]\nk=2\nk=3\n", "S", "k", "9", "[S]\nk=9\n[s]\nk=2\nk=3\n"},
        {"\xff\xfe junk\n[S]\nk=1\n\0\x01\n"s, "S", "k", "2", "\xff\xfe junk\n[S]\nk=2\n\0\x01\n"s},
        {"[S]\nk=1\n", "S", "k", "", "[S]\nk=\n"},
        // A byte-order mark stays, and the section after it is found, not appended again.
        {"\xEF\xBB\xBF[Position]\r\nLeft=1\r\n", "Position", "Left", "900",
         "\xEF\xBB\xBF[Position]\r\nLeft=900\r\n"},
        {"\xEF\xBB\xBF[Position]\r\nLeft=1\r\n", "Position", "Top", "2",
         "\xEF\xBB\xBF[Position]\r\nLeft=1\r\nTop=2\r\n"},
        {"\xEF\xBB\xBF", "Output", "Type", "0", "\xEF\xBB\xBF[Output]\r\nType=0\r\n"},
    };
    for (const auto &row : rows) {
        const auto got = SetValue(row.before, row.section, row.key, row.value);
        CHECK_EQ(got.value_or("<refused>"), row.after);
        CHECK_EQ(LookupValue(got.value_or(""), row.section, row.key).value_or("<missing>"),
                 row.value);
    }
}

TEST_CASE("writes that would break the layout are refused") {
    const struct {
        std::string section, key, value;
    } rows[] = {
        {"S", "k", "1\r\n[Evil]"}, {"S", "k\r", "1"}, {"S", "k", "1\0002"s}, {"S", "a=b", "1"},
        {"S]x", "k", "1"},         {" ", "k", "1"},   {"S", ";k", "1"},      {"S", "[k", "1"},
    };
    for (const auto &row : rows)
        CHECK(!SetValue("[S]\nk=1\n", row.section, row.key, row.value).has_value());
}

TEST_CASE("long lines") {
    const std::string longLine = "; " + std::string(100000, 'x') + "\n";
    const std::string file = longLine + "[Output]\nType=1\n" + longLine;
    CHECK_EQ(LookupValue(file, "Output", "Type").value_or(""), "1");
    CHECK_EQ(SetValue(file, "Output", "Type", "2").value_or(""),
             longLine + "[Output]\nType=2\n" + longLine);
}

CHECK_MAIN
