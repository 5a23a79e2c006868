// The history written in each palette format against small golden texts, GIMP palettes read
// and rewritten, and the contrast of two colours against published reference values.
#include "Testing.h"

#include "core/colour/CodeText.h"
#include "core/colour/Contrast.h"
#include "core/history/GimpPalette.h"
#include "core/history/PaletteFormats.h"

#include <string>
#include <vector>

namespace {

// Three colours: named by its code, by a user (non-ASCII letters and an emoji), and unnamed.
History Golden() {
    History history;
    history.Append({RGB(0x1E, 0x69, 0xD2), "#1E69D2"});
    history.Append({RGB(0x76, 0x76, 0x76), "Café 🎨"});
    history.Append({RGB(0xFF, 0xFF, 0xFF), ""});
    return history;
}

std::string Unhex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

std::string Write(std::string_view word, CodeStyle style = {}) {
    return WritePalette(*PaletteFormatByWord(word), Golden(), style);
}

} // namespace

TEST_CASE("each writer against its golden text") {
    CHECK_EQ(Write("gpl"), std::string("GIMP Palette\nName: Kalvor\nColumns: 0\n#\n"
                                       " 30 105 210\t#1E69D2\n"
                                       "118 118 118\tCafé 🎨\n"
                                       "255 255 255\t\n"));
    CHECK_EQ(Write("css"), std::string(":root {\n"
                                       "  --kalvor-1: #1E69D2;\n"
                                       "  --kalvor-2: #767676; /* Café 🎨 */\n"
                                       "  --kalvor-3: #FFFFFF;\n"
                                       "}\n"));
    CHECK_EQ(Write("json"),
             std::string("[\n"
                         "  {\"name\": \"#1E69D2\", \"hex\": \"#1E69D2\", \"red\": 30, "
                         "\"green\": 105, \"blue\": 210},\n"
                         "  {\"name\": \"Café 🎨\", \"hex\": \"#767676\", \"red\": 118, "
                         "\"green\": 118, \"blue\": 118},\n"
                         "  {\"name\": \"#FFFFFF\", \"hex\": \"#FFFFFF\", \"red\": 255, "
                         "\"green\": 255, \"blue\": 255}\n"
                         "]\n"));
    // Big-endian; "Café 🎨" is 8 UTF-16 units with the terminating zero, 🎨 as D83C DFA8.
    CHECK_EQ(Write("ase"), Unhex("4153454600010000000000030001000000240008002300310045003600390044"
                                 "00320000524742203df0f0f13ed2d2d33f52d2d3000200010000002400080043"
                                 "0061006600e90020d83cdfa80000524742203eececed3eececed3eececed0002"
                                 "000100000024000800230046004600460046004600460000524742203f800000"
                                 "3f8000003f8000000002"));
    // Plain text: the window's format and case; a code word: that format, the window's case.
    CHECK_EQ(Write("", {FormatHex, 0}), std::string("1e69d2\n767676\nffffff\n"));
    CHECK_EQ(Write("", {FormatNone, 1}), std::string("#1E69D2\n#767676\n#FFFFFF\n"));
    CHECK_EQ(Write("rgb", {FormatHex, 0}), std::string("30,105,210\n118,118,118\n255,255,255\n"));
    CHECK_EQ(Write("html", {FormatComma, 0}), std::string("#1e69d2\n#767676\n#ffffff\n"));
    CHECK_EQ(WritePalette(*PaletteFormatByWord("json"), History(), {}), std::string("[]\n"));
    CHECK_EQ(Unhex("0000").size(), std::size_t{2});
}

TEST_CASE("the table: the dialog's five types first, then every code format by its word") {
    std::string extensions;
    for (const PaletteFormat &format : ExportFormats())
        extensions += std::string(format.extension) + ' ';
    CHECK_EQ(extensions, std::string("gpl css json ase txt "));
    for (const PaletteFormat &format : PaletteFormats())
        CHECK_EQ(format.label.empty(), &format >= ExportFormats().data() + ExportFormats().size());
    CHECK_EQ(PaletteWords("|"), std::string("gpl|css|json|ase|html|hex|rgb|hsl|hsv|oklch"));
    CHECK(PaletteFormatByWord("ase")->binary);
    CHECK(!PaletteFormatByWord("gpl")->binary);
    CHECK(PaletteFormatByWord("txt") == nullptr);
    CHECK(PaletteFormatByWord("GPL") == nullptr);
}

TEST_CASE("UTF-16 of UTF-8: surrogate pairs, and U+FFFD for what is no character") {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } rows[] = {
        {"A", u"A"},
        {"é色", u"é色"},
        {"🎨", {char16_t(0xD83C), char16_t(0xDFA8)}},
        {"\xF4\x8F\xBF\xBF", {char16_t(0xDBFF), char16_t(0xDFFF)}}, // U+10FFFF
        {"\xC3", u"\uFFFD"},                                        // cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                              // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},                    // a surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},          // past U+10FFFF
        {"a\xFFz", u"a\uFFFDz"},
    };
    for (const auto &row : rows)
        CHECK(Utf16(row.utf8) == row.utf16);
}

TEST_CASE("GIMP palettes read: names, comments, spacing, CRLF, no header, short lines") {
    const struct {
        const char *text;
        std::vector<HistoryColour> colours;
    } rows[] = {
        {"GIMP Palette\nName: Web\nColumns: 16\n#\n255   0   0\tRed\n  0 128   0\tGreen\n",
         {{RGB(255, 0, 0), "Red"}, {RGB(0, 128, 0), "Green"}}},
        {"GIMP Palette\r\nName: Win\r\n#comment 1 2 3\r\n 1 2 3\tOne two\r\n4\t5\t6 \r\n",
         {{RGB(1, 2, 3), "One two"}, {RGB(4, 5, 6), ""}}},
        {"10 20 30 Untitled\n", {{RGB(10, 20, 30), "Untitled"}}}, // no header
        {"GIMP Palette\n10 20\n10 20 30\n", {{RGB(10, 20, 30), ""}}},
        {"GIMP Palette\n256 0 0\tToo red\n-1 0 0\n1 2 3x\n1 2 3\t  padded name  ",
         {
             {RGB(1, 2, 3), "padded name"},
         }},
        {"GIMP Palette\n  # 1 2 3 in a comment\n\n\t7 8 9\tTabbed\n", {{RGB(7, 8, 9), "Tabbed"}}},
        {"", {}},
    };
    for (const auto &row : rows) {
        const History read = ReadGimpPalette(row.text);
        CHECK_EQ(read.Count(), static_cast<std::int64_t>(row.colours.size()));
        for (std::size_t i = 0; i < row.colours.size() && i < read.Colours().size(); ++i) {
            CHECK_EQ(read.At(static_cast<std::int64_t>(i)).colour, row.colours[i].colour);
            CHECK_EQ(read.At(static_cast<std::int64_t>(i)).name, row.colours[i].name);
        }
    }
}

TEST_CASE("a kept palette rewritten: its other lines and a user's names stay") {
    const std::string kept = "GIMP Palette\r\nName: Mine\r\n# notes\r\n1 2\r\n"
                             "  1   2   3\tFirst\r\n# between\r\n 4 5 6\tSecond\r\n";
    History history = ReadGimpPalette(kept);
    CHECK_EQ(RewriteGimpPalette(kept, history), kept);
    history.Append({RGB(7, 8, 9), "#070809"});
    const std::string grown = RewriteGimpPalette(kept, history);
    CHECK_EQ(grown, kept + "  7   8   9\t#070809\r\n");
    history.Remove(0);
    CHECK_EQ(RewriteGimpPalette(grown, history),
             std::string("GIMP Palette\r\nName: Mine\r\n# notes\r\n1 2\r\n# between\r\n"
                         " 4 5 6\tSecond\r\n  7   8   9\t#070809\r\n"));
    history.Clear();
    CHECK_EQ(RewriteGimpPalette(grown, history),
             std::string("GIMP Palette\r\nName: Mine\r\n# notes\r\n1 2\r\n# between\r\n"));
    // Without a header it gains one; a renamed colour is written anew at the end.
    History renamed;
    renamed.Append({RGB(1, 2, 3), "Other"});
    CHECK_EQ(RewriteGimpPalette("1 2 3\tFirst\n", renamed),
             std::string("GIMP Palette\nName: Kalvor\nColumns: 0\n#\n  1   2   3\tOther\n"));
}

// WCAG 2.x's own examples and APCA 0.0.98G's published values.
TEST_CASE("contrast of reference pairs: WCAG 2 ratio with AA and AAA, APCA Lc") {
    const struct {
        const char *text, *ground, *ratio;
        bool aa, aaa;
        const char *lc; // nullptr: no published value
    } rows[] = {
        {"#767676", "#FFFFFF", "4.54:1", true, false, nullptr},
        {"#777777", "#FFFFFF", "4.48:1", false, false, nullptr},
        {"#000000", "#FFFFFF", "21.00:1", true, true, "106.0"},
        {"#FFFFFF", "#000000", "21.00:1", true, true, "-107.9"},
        {"#888888", "#FFFFFF", "3.54:1", false, false, "63.1"},
        {"#595959", "#FFFFFF", "7.00:1", true, true, nullptr},
        {"#FFFFFF", "#FFFFFF", "1.00:1", false, false, "0.0"},
    };
    for (const auto &row : rows) {
        const Contrast got =
            ContrastOf(*ParseColourArgument(row.text), *ParseColourArgument(row.ground));
        CHECK_EQ(got.RatioText(), std::string(row.ratio));
        CHECK_EQ(got.aa, row.aa);
        CHECK_EQ(got.aaa, row.aaa);
        if (row.lc)
            CHECK_EQ(got.LightnessText(), std::string(row.lc));
    }
}

TEST_CASE("colours on the command line, the report, and a swatch's tooltip") {
    CHECK(ParseColourArgument("#1E69D2") == RGB(30, 105, 210));
    CHECK(ParseColourArgument("1e69d2") == RGB(30, 105, 210));
    CHECK(ParseColourArgument("30,105,210") == RGB(30, 105, 210));
    for (const char *wrong : {"#1E69D", "1E69D2F", "#GG0000", "30,105", "30,105,256", "30,,210",
                              "30,105,210,", "+1,2,3", "", "#"})
        CHECK(!ParseColourArgument(wrong));
    CHECK_EQ(ContrastReport(RGB(0x76, 0x76, 0x76), RGB(255, 255, 255)),
             std::string("#767676 on #FFFFFF\n"
                         "WCAG 2 contrast ratio 4.54:1: AA pass, AAA fail (normal text)\n"
                         "APCA Lc " +
                         ContrastOf(RGB(0x76, 0x76, 0x76), RGB(255, 255, 255)).LightnessText() +
                         "\n"));
    CHECK_EQ(SwatchTip("Café", RGB(255, 255, 255), std::nullopt), std::string("Café"));
    CHECK_EQ(SwatchTip("", RGB(255, 255, 255), CLR_INVALID), std::string("#FFFFFF"));
    CHECK_EQ(SwatchTip("#FFFFFF", RGB(255, 255, 255), RGB(0, 0, 0)),
             std::string("#FFFFFF\n#000000 の文字と: 21.00:1  AA 合格  AAA 合格\nAPCA Lc 106.0"));
}

CHECK_MAIN
