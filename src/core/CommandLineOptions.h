#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Kalvor's own options (--help, --version, --capture, --print with --format, --lower,
// --upper), read by the same rules on every desktop. Texts are UTF-8.
struct CommandOptions {
    enum Action { Run, Help, Version, Misuse, Capture, Print } action = Run;
    std::string message; // the help, the version, or why the line was refused and the usage
    int format = -2;     // --format for --print: a list index, or -2 for the stored one
    int upperCase = -1;  // --upper 1, --lower 0, or -1 for the stored case
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

// The words --format takes, as a usage line shows them: "html|hex|...".
std::string FormatChoices();
// The help's lines on --format: each format with the code it gives for one colour.
std::string FormatHelp();

// arguments[0] is the program.
CommandOptions ParseOptions(const std::vector<std::string> &arguments,
                            const FrontEndOptions &frontEnd);
