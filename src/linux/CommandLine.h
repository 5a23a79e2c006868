#pragma once

#include "core/colour/ColourValue.h"

#include <QString>
#include <QStringList>
#include <string>

struct CommandLine {
    enum Action { Run, Help, Version, Misuse, Capture, Print, History, Contrast } action = Run;
    QString message;         // what to print: the help, the version, or why the line was refused
    QString display;         // the X display named by -display, which Qt will show the window on
    int format = -2;         // --format for --print: a list index, or -2 for the stored one
    int upperCase = -1;      // --upper 1, --lower 0, or -1 for the stored case
    int average = 0;         // --average for --print: the sample's side, or 0 for the stored one
    std::string paletteWord; // --format for --history: empty for the window's plain text
    ColourValue text = 0;    // --contrast's colours: the text's, then the ground's
    ColourValue ground = 0;
    int space = -1; // --space for --print: 0 device, 1 sRGB, or -1 for the stored one
};

// Reads Kalvor's own options (--help, --version, --capture, --print with --format, --lower,
// --upper, --average, --history with --format, --contrast) and lets Qt's through (-platform,
// -display, -style and the rest), so that Qt can still take them. Anything else is misuse.
CommandLine ParseCommandLine(const QStringList &arguments);

QString UsageText();
