#pragma once

#include "core/colour/ColourValue.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Kalvor's own options (--help, --version, --capture, --print with --format, --lower,
// --upper, --average, --space, --history with --format, --contrast), read by the same rules on
// every desktop. Texts are UTF-8.
struct CommandOptions {
    enum Action { Run, Help, Version, Misuse, Capture, Print, History, Contrast } action = Run;
    std::string message; // the help, the version, or why the line was refused and the usage
    int format = -2;     // --format for --print: a list index, or -2 for the stored one
    // --format for --history: a word of PaletteFormats(), empty for the window's plain text
    std::string paletteWord = {};
    ColourValue text = 0; // --contrast's two colours: the text's, then the ground's
    ColourValue ground = 0;
    int upperCase = -1; // --upper 1, --lower 0, or -1 for the stored case
    int average = 0;    // --average for --print: the sample's side, or 0 for the stored one
    int space = -1;     // --space for --print: 0 device, 1 sRGB, or -1 for the stored one
};

// What a front-end adds to the rules: its usage lines, its help after them, its version, and
// the options of its toolkit. takeOwn sees each argument starting with '-' that is none of
// Kalvor's (arguments[at]) and answers how many of the arguments after it are its values, or
// -1 for an option it does not know either, which is misuse.
struct FrontEndOptions {
    std::string usage;
    std::string help;
    std::string version;
    std::function<int(const std::vector<std::string> &arguments, std::size_t at)> takeOwn;
};

// What a front-end's usage and help say of itself; the rest is the same for every program.
struct HelpWords {
    std::string_view
        toolkitOptions;             // after the first usage line's options, such as " [Qt options]"
    std::string_view displayOption; // after --capture and --print, such as " [-display NAME]"
    std::string_view captureReach;  // which running copy --capture reaches, one sentence
    std::string_view toolkitNote;   // the help's last lines
};
std::string UsageText(const HelpWords &words);
// The help after the usage; --format's lines come from the table of formats.
std::string HelpText(const HelpWords &words);

// arguments[0] is the program.
CommandOptions ParseOptions(const std::vector<std::string> &arguments,
                            const FrontEndOptions &frontEnd);
