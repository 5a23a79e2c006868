#include "core/CommandLineOptions.h"

#include "core/colour/CodeFormats.h"
#include "core/colour/Contrast.h"
#include "core/history/PaletteFormats.h"
#include "core/loupe/LoupeSettings.h"
#include "core/settings/ColourSetting.h"

#include <algorithm>

namespace {

// The sample's sides as words: "1, 3 or 5" with ", " and " or ", "1|3|5" with "|" twice.
std::string SideWords(std::string_view between, std::string_view last) {
    std::string words;
    for (std::size_t i = 0; i < SampleSides.size(); ++i) {
        if (i > 0)
            words += i + 1 == SampleSides.size() ? last : between;
        words += std::to_string(SampleSides[i]);
    }
    return words;
}

} // namespace

CommandOptions ParseOptions(const std::vector<std::string> &arguments,
                            const FrontEndOptions &frontEnd) {
    const auto refuse = [&frontEnd](const std::string &why) {
        CommandOptions refused;
        refused.action = CommandOptions::Misuse;
        refused.message = "kalvor: " + why + '\n' + frontEnd.usage;
        return refused;
    };
    // An option's value: after its '=', else the next argument, which it then takes.
    const auto valueOf = [&arguments](std::string_view option, std::size_t &at) -> std::string {
        const std::string &argument = arguments[at];
        if (argument.size() > option.size())
            return argument.substr(option.size() + 1);
        return ++at < arguments.size() ? arguments[at] : std::string();
    };
    CommandOptions run;
    bool printing = false;
    bool capturing = false;
    bool printOption = false;
    bool history = false;
    bool contrast = false;
    std::string formatWord;
    bool formatGiven = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--capture") {
            capturing = true;
            continue;
        }
        if (argument == "--print") {
            printing = true;
            continue;
        }
        if (argument == "--history") {
            history = true;
            continue;
        }
        if (argument == "--contrast") {
            if (arguments.size() - i < 3)
                return refuse("--contrast takes two colours");
            const auto text = ParseColourArgument(arguments[++i]);
            const auto ground = ParseColourArgument(arguments[++i]);
            if (!text || !ground)
                return refuse("--contrast takes colours as #RRGGBB, RRGGBB or r,g,b, not '" +
                              arguments[text ? i : i - 1] + "'");
            run.text = *text;
            run.ground = *ground;
            contrast = true;
            continue;
        }
        if (argument == "--lower" || argument == "--upper") {
            run.upperCase = argument == "--upper" ? 1 : 0;
            printOption = true;
            continue;
        }
        if (argument == "--format" || argument.starts_with("--format=")) {
            formatWord = valueOf("--format", i);
            formatGiven = true;
            continue;
        }
        if (argument == "--average" || argument.starts_with("--average=")) {
            const std::string value = valueOf("--average", i);
            const auto side = std::ranges::find_if(SampleSides, [&value](int candidate) {
                return std::to_string(candidate) == value;
            });
            if (side == SampleSides.end())
                return refuse("--average takes " + SideWords(", ", " or ") + ", not '" + value +
                              "'");
            run.average = *side;
            printOption = true;
            continue;
        }
        if (argument == "--space" || argument.starts_with("--space=")) {
            const std::string value = valueOf("--space", i);
            const auto space = ColourSpaceOfWord(value);
            if (!space)
                return refuse("--space takes device or srgb, not '" + value + "'");
            run.space = static_cast<int>(*space);
            printOption = true;
            continue;
        }
        if (argument == "--help" || argument == "-h")
            return {CommandOptions::Help, frontEnd.usage + frontEnd.help};
        if (argument == "--version" || argument == "-v")
            return {CommandOptions::Version, "kalvor " + frontEnd.version + '\n'};
        if (!argument.starts_with('-'))
            return refuse("unexpected argument '" + argument + "'");
        if (frontEnd.takeOwn) {
            if (const int values = frontEnd.takeOwn(arguments, i); values >= 0) {
                i += static_cast<std::size_t>(values);
                continue;
            }
        }
        return refuse("unknown option '" + argument + "'");
    }
    if (capturing && (printing || printOption || formatGiven))
        return refuse("--capture takes no --print options");
    if (int(capturing) + int(printing) + int(history) + int(contrast) > 1)
        return refuse("--capture, --print, --history and --contrast go alone");
    if (history && printOption)
        return refuse("--history takes no --lower, --upper, --average or --space");
    if (contrast && (printOption || formatGiven))
        return refuse("--contrast takes no other options");
    if ((printOption || formatGiven) && !printing && !history)
        return refuse("--format, --lower, --upper, --average and --space go with --print");
    if (formatGiven && history) {
        const PaletteFormat *format = PaletteFormatByWord(formatWord);
        if (!format || formatWord.empty())
            return refuse("--format with --history takes " + PaletteWords(", ") + ", not '" +
                          formatWord + "'");
        run.paletteWord = formatWord;
    } else if (formatGiven) {
        const CodeFormat *format = FormatByWord(formatWord);
        if (!format)
            return refuse("--format takes " + FormatWords() + ", not '" + formatWord + "'");
        run.format = format->id;
    }
    if (history)
        run.action = CommandOptions::History;
    if (contrast)
        run.action = CommandOptions::Contrast;
    if (capturing)
        run.action = CommandOptions::Capture;
    if (printing)
        run.action = CommandOptions::Print;
    return run;
}

std::string UsageText(const HelpWords &words) {
    std::string usage = "Usage: kalvor [--help] [--version]";
    usage.append(words.toolkitOptions).append("\n       kalvor --capture");
    usage.append(words.displayOption).append("\n       kalvor --print [--format ");
    for (const CodeFormat &format : CodeFormats())
        usage.append(&format == CodeFormats().data() ? "" : "|").append(format.word);
    usage.append("] [--lower|--upper] [--average ")
        .append(SideWords("|", "|"))
        .append("] [--space device|srgb]")
        .append(words.displayOption);
    usage.append("\n       kalvor --history [--format ").append(PaletteWords("|")).append("]");
    return usage.append(words.displayOption).append("\n       kalvor --contrast COLOUR COLOUR\n");
}

std::string HelpText(const HelpWords &words) {
    constexpr ColourValue example = RGB(0x1E, 0x69, 0xD2);
    std::string help =
        "\nShows the colour of the screen pixel under the mouse pointer.\n"
        "Press Space anywhere to hold the colour and copy it (as text and as a picture);\n"
        "press it again to go on sampling.\n\n"
        "Options:\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "  --capture      make the running Kalvor capture, as Space would: hold the\n"
        "                 colour under the pointer, add it to the history and copy it\n"
        "                 (or go back to sampling when it is held). Bind it to a key.\n"
        "                 ";
    help.append(words.captureReach);
    help.append("\n"
                "                 Exit 1 when none runs.\n"
                "                   example: kalvor --capture\n"
                "  --print        print the code of the colour under the pointer and exit,\n"
                "                 without a window; exit 1 when it cannot be read\n"
                "                   example: kalvor --print --format rgb\n"
                "  --format F     for --print, the code in format F; #1E69D2 is written as\n");
    for (const CodeFormat &format : CodeFormats()) {
        std::string word(format.word);
        word.resize(7, ' ');
        help.append("                   ").append(word);
        help.append(RenderCode(format, example, 1)).append("\n");
    }
    help.append("                 the format chosen in the window by default\n"
                "  --lower, --upper\n"
                "                 for --print: the case of hexadecimal codes; the window's by "
                "default\n"
                "  --average N    for --print: the mean of the N x N pixels around the pointer\n"
                "                 (");
    help.append(SideWords(", ", " or ")).append("), rounded; the window's sample by default\n");
    help.append("  --space S      for --print: what the numbers are; the window's by default\n"
                "                   device  the value in the frame buffer, as the display\n"
                "                           gets it: for matching pixels, or where no\n"
                "                           colour profile is set\n"
                "                   srgb    converted from the display's colour profile to\n"
                "                           sRGB: the colour as seen, for web and design\n"
                "                           work on a wide-gamut or calibrated display;\n"
                "                           the device value where the display has no\n"
                "                           profile or hands over sRGB already\n"
                "  --history      print the history of the running Kalvor (the one --capture\n"
                "                 reaches), else the kept Kalvor.gpl; exit 1 when neither has\n"
                "                 a colour. With --format: gpl (GIMP palette), css (custom\n"
                "                 properties), json, ase (Adobe Swatch Exchange, binary: not\n"
                "                 to a terminal), or a code format above, one code a line;\n"
                "                 the window's code format by default\n"
                "                   example: kalvor --history --format gpl > colours.gpl\n"
                "  --contrast TEXT GROUND\n"
                "                 print the WCAG 2 contrast ratio of the two colours, whether\n"
                "                 it passes AA and AAA for normal text, and the APCA Lc of\n"
                "                 TEXT on GROUND; colours as #RRGGBB, RRGGBB or r,g,b\n"
                "                   example: kalvor --contrast '#767676' FFFFFF\n");
    return help.append(words.toolkitNote);
}
