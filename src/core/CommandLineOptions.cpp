#include "core/CommandLineOptions.h"

#include "core/colour/CodeFormats.h"
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
        if (argument == "--lower" || argument == "--upper") {
            run.upperCase = argument == "--upper" ? 1 : 0;
            printOption = true;
            continue;
        }
        if (argument == "--format" || argument.starts_with("--format=")) {
            const std::string value = valueOf("--format", i);
            const CodeFormat *format = FormatByWord(value);
            if (!format)
                return refuse("--format takes " + FormatWords() + ", not '" + value + "'");
            run.format = format->id;
            printOption = true;
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
    if (capturing && (printing || printOption))
        return refuse("--capture takes no --print options");
    if (printOption && !printing)
        return refuse("--format, --lower, --upper, --average and --space go with --print");
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
    return usage.append("] [--lower|--upper] [--average ")
        .append(SideWords("|", "|"))
        .append("] [--space device|srgb]")
        .append(words.displayOption)
        .append("\n");
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
                "                           profile or hands over sRGB already\n");
    return help.append(words.toolkitNote);
}
