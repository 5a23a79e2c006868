// Kalvor's own options, read by the rules every front-end shares; a made-up toolkit takes
// "-style VALUE" and "-reverse".
#include "Testing.h"

#include "core/CommandLineOptions.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

FrontEndOptions Toolkit() {
    FrontEndOptions frontEnd;
    frontEnd.usage = "Usage: kalvor ...\n";
    frontEnd.help = "help text\n";
    frontEnd.version = "9.8";
    frontEnd.takeOwn = [](const std::vector<std::string> &all, std::size_t at) {
        if (all[at] == "-style")
            return 1;
        return all[at] == "-reverse" ? 0 : -1;
    };
    return frontEnd;
}

constexpr auto Run = CommandOptions::Run;
constexpr auto Help = CommandOptions::Help;
constexpr auto Version = CommandOptions::Version;
constexpr auto Misuse = CommandOptions::Misuse;
constexpr auto Capture = CommandOptions::Capture;
constexpr auto Print = CommandOptions::Print;
constexpr auto HistoryOut = CommandOptions::History;
constexpr auto ContrastOut = CommandOptions::Contrast;

} // namespace

TEST_CASE("every option form, and what is refused with the reason and the usage") {
    const struct {
        std::vector<std::string> arguments;
        CommandOptions::Action action;
        int format;
        int upperCase;
        const char *says; // in the message
    } rows[] = {
        {{}, Run, -2, -1, ""},
        {{"--help"}, Help, -2, -1, "Usage: kalvor ...\nhelp text\n"},
        {{"-h"}, Help, -2, -1, "help text"},
        {{"--version"}, Version, -2, -1, "kalvor 9.8\n"},
        {{"-v"}, Version, -2, -1, "kalvor 9.8\n"},
        {{"--capture"}, Capture, -2, -1, ""},
        {{"--print"}, Print, -2, -1, ""},
        {{"--print", "--format", "html"}, Print, 0, -1, ""},
        {{"--print", "--format", "hex"}, Print, 1, -1, ""},
        {{"--format", "rgb", "--print"}, Print, 2, -1, ""},
        {{"--print", "--format=html"}, Print, 0, -1, ""},
        {{"--print", "--format=hex"}, Print, 1, -1, ""},
        {{"--print", "--format=rgb", "--lower"}, Print, 2, 0, ""},
        {{"--print", "--format", "hsl"}, Print, 3, -1, ""},
        {{"--print", "--format=hsv"}, Print, 4, -1, ""},
        {{"--print", "--format", "oklch", "--upper"}, Print, 5, 1, ""},
        {{"--print", "--upper"}, Print, -2, 1, ""},
        {{"--upper", "--print", "--lower"}, Print, -2, 0, ""},
        {{"--print", "--format", "hex", "--format", "rgb"}, Print, 2, -1, ""},
        {{"-style", "Fusion", "--print", "-reverse"}, Print, -2, -1, ""},
        {{"-style", "--help"}, Run, -2, -1, ""}, // the toolkit's value
        {{"--help", "--frobnicate"}, Help, -2, -1, "help text"},
        // Values missing, wrong or of another case.
        {{"--print", "--format"}, Misuse, -2, -1, "--format takes html, hex, rgb, "},
        {{"--print", "--format="}, Misuse, -2, -1, "not ''"},
        {{"--print", "--format", "cmyk"}, Misuse, -2, -1, "not 'cmyk'"},
        {{"--print", "--format", "HEX"}, Misuse, -2, -1, "not 'HEX'"},
        {{"--print", "--format=hexa"}, Misuse, -2, -1, "not 'hexa'"},
        {{"--print", "--format", "--upper"}, Misuse, -2, -1, "not '--upper'"},
        // Options in the wrong company.
        {{"--format", "hex"}, Misuse, -2, -1, "go with --print"},
        {{"--lower"}, Misuse, -2, -1, "go with --print"},
        {{"--capture", "--print"}, Misuse, -2, -1, "--capture takes no --print options"},
        {{"--capture", "--upper"}, Misuse, -2, -1, "--capture takes no"},
        // Unknown to both, and stray words.
        {{"--frobnicate", "--help"}, Misuse, -2, -1, "unknown option '--frobnicate'"},
        {{"--formats", "hex"}, Misuse, -2, -1, "unknown option '--formats'"},
        {{"--print", "--printer"}, Misuse, -2, -1, "unknown option '--printer'"},
        {{"--Help"}, Misuse, -2, -1, "unknown option"},
        {{"-"}, Misuse, -2, -1, "unknown option '-'"},
        {{"--print", "file.png"}, Misuse, -2, -1, "unexpected argument 'file.png'"},
        {{""}, Misuse, -2, -1, "unexpected argument ''"},
        // --history and its formats, --contrast and its colours.
        {{"--history"}, HistoryOut, -2, -1, ""},
        {{"--history", "--format", "ase"}, HistoryOut, -2, -1, ""},
        {{"--format=oklch", "--history"}, HistoryOut, -2, -1, ""},
        {{"--history", "--format", "txt"},
         Misuse,
         -2,
         -1,
         "--format with --history takes gpl, css, json, ase, html, hex, rgb, hsl, hsv, oklch, "
         "not 'txt'"},
        {{"--history", "--format="}, Misuse, -2, -1, "not ''"},
        {{"--print", "--format", "gpl"}, Misuse, -2, -1, "--format takes html"},
        {{"--history", "--upper"}, Misuse, -2, -1, "--history takes no --lower"},
        {{"--history", "--print"}, Misuse, -2, -1, "go alone"},
        {{"--history", "--capture"}, Misuse, -2, -1, "go alone"},
        {{"--contrast", "#767676", "FFFFFF"}, ContrastOut, -2, -1, ""},
        {{"--contrast", "#767676"}, Misuse, -2, -1, "--contrast takes two colours"},
        {{"--contrast", "#76767", "FFFFFF"}, Misuse, -2, -1, "r,g,b, not '#76767'"},
        {{"--contrast", "000000", "1,2"}, Misuse, -2, -1, "not '1,2'"},
        {{"--contrast", "0,0,0", "1,1,1", "--format", "hex"}, Misuse, -2, -1, "takes no other"},
        {{"--contrast", "0,0,0", "1,1,1", "--print"}, Misuse, -2, -1, "go alone"},
    };
    for (const auto &row : rows) {
        std::vector<std::string> arguments{"kalvor"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        std::string line;
        for (const std::string &word : row.arguments)
            line += " '" + word + "'";
        const CommandOptions got = ParseOptions(arguments, Toolkit());
        INFO("  in row" << line << ": " << got.message);
        CHECK_EQ(got.action, row.action);
        CHECK(got.message.find(row.says) != std::string::npos);
        if (row.action == Misuse) {
            CHECK(got.message.starts_with("kalvor: "));
            CHECK(got.message.ends_with("\nUsage: kalvor ...\n"));
        } else {
            CHECK_EQ(got.format, row.format);
            CHECK_EQ(got.upperCase, row.upperCase);
        }
    }
}

TEST_CASE("--average gives --print the sample's side: 1, 3 or 5, nothing else") {
    const struct {
        std::vector<std::string> arguments;
        int average; // -1: refused
        const char *says;
    } rows[] = {
        {{"--print"}, 0, ""},
        {{"--print", "--average", "3"}, 3, ""},
        {{"--average=5", "--print"}, 5, ""},
        {{"--print", "--average", "1"}, 1, ""},
        {{"--print", "--average", "4"}, -1, "--average takes 1, 3 or 5, not '4'"},
        {{"--print", "--average"}, -1, "not ''"},
        {{"--print", "--average=33"}, -1, "not '33'"},
        {{"--average", "3"}, -1, "go with --print"},
        {{"--capture", "--average", "3"}, -1, "--capture takes no --print options"},
    };
    for (const auto &row : rows) {
        std::vector<std::string> arguments{"kalvor"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const CommandOptions got = ParseOptions(arguments, Toolkit());
        CHECK_EQ(got.action, row.average < 0 ? Misuse : Print);
        CHECK_EQ(got.average, row.average < 0 ? 0 : row.average);
        CHECK(got.message.find(row.says) != std::string::npos);
    }
}

// Every format's example worked by hand from #1E69D2 = 30, 105, 210: blue the largest, 180 above
// red the smallest; hue 240 - 60 * 75 / 180 = 215; HSL 180 / 240 and 240 / 510, HSV 180 / 210 and
// 210 / 255; oklch from CSS Color 4's sample conversions.
TEST_CASE("the usage and the help name every format with its example, and the sample's sides") {
    const HelpWords words{" [toolkit]", " [-d NAME]", "Reaches the one.", "The end.\n"};
    const std::string usage = UsageText(words);
    const std::string help = HelpText(words);
    for (const auto &[text, line] : std::vector<std::pair<std::string, std::string>>{
             {usage, "\n       kalvor --capture [-d NAME]\n"},
             {usage, " [--format html|hex|rgb|hsl|hsv|oklch] [--lower|--upper] [--average 1|3|5] "
                     "[--space device|srgb] [-d NAME]\n"},
             {usage, "\n       kalvor --contrast COLOUR COLOUR\n"},
             {help, "\n                   html   #1E69D2\n"},
             {help, "\n                   hex    1E69D2\n"},
             {help, "\n                   rgb    30,105,210\n"},
             {help, "\n                   hsl    hsl(215 75% 47%)\n"},
             {help, "\n                   hsv    hsv(215 86% 82%)\n"},
             {help, "\n                   oklch  oklch(0.537 0.177 258.3)\n"},
             {help, "\n                 (1, 3 or 5), rounded;"},
             {help, "Reaches the one.\n"}})
        CHECK_EQ(text.substr(std::min(text.find(line), text.size()), line.size()), line);
    CHECK(usage.starts_with("Usage: kalvor [--help] [--version] [toolkit]\n"));
    CHECK(help.ends_with("The end.\n"));
}

TEST_CASE("--history keeps its format's word, --contrast its two colours in order") {
    const CommandOptions ase = ParseOptions({"kalvor", "--history", "--format=ase"}, Toolkit());
    CHECK_EQ(ase.paletteWord, std::string("ase"));
    CHECK_EQ(ParseOptions({"kalvor", "--history"}, Toolkit()).paletteWord, std::string());
    const CommandOptions two =
        ParseOptions({"kalvor", "--contrast", "30,105,210", "#ffFFfe"}, Toolkit());
    CHECK_EQ(two.text, RGB(30, 105, 210));
    CHECK_EQ(two.ground, RGB(255, 255, 254));
}

TEST_CASE("a front-end that takes no options of its own refuses them all") {
    FrontEndOptions bare = Toolkit();
    bare.takeOwn = nullptr;
    const CommandOptions got = ParseOptions({"kalvor", "-style", "Fusion"}, bare);
    CHECK_EQ(got.action, Misuse);
    CHECK(got.message.starts_with("kalvor: unknown option '-style'\n"));
}

CHECK_MAIN
