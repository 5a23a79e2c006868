#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
    enum Action { Run, Help, Version, Misuse } action = Run;
    QString message; // what to print: the help, the version, or why the line was refused
    QString display; // the X display named by -display, which Qt will show the window on
};

// Reads Kalvor's own options (--help, --version) and lets Qt's through (-platform, -display,
// -style and the rest), so that Qt can still take them. Anything else is misuse.
CommandLine ParseCommandLine(const QStringList &arguments);

QString UsageText();
