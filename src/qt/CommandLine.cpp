#include "qt/CommandLine.h"

#include <QCoreApplication>

namespace {

// Options Qt's application objects take, with or without a value after them.
const QStringList QtOptionsWithValue = {"platform",
                                        "platformpluginpath",
                                        "platformtheme",
                                        "plugin",
                                        "qwindowgeometry",
                                        "qwindowicon",
                                        "qwindowtitle",
                                        "session",
                                        "display",
                                        "name",
                                        "title",
                                        "style",
                                        "stylesheet",
                                        "geometry",
                                        "fn",
                                        "font",
                                        "bg",
                                        "background",
                                        "fg",
                                        "foreground",
                                        "btn",
                                        "button",
                                        "im",
                                        "cmap",
                                        "ncols",
                                        "visual",
                                        "qmljsdebugger"};
const QStringList QtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

} // namespace

QString UsageText() {
    return QStringLiteral("Usage: kalvor [--help] [--version] [Qt options]\n"
                          "       kalvor --capture [-display NAME]\n"
                          "       kalvor --print [--format html|hex|rgb] [--lower|--upper] "
                          "[-display NAME]\n");
}

namespace {

CommandLine Refuse(const QString &why) {
    return {CommandLine::Misuse, QStringLiteral("kalvor: ") + why + '\n' + UsageText(), {}};
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments) {
    CommandLine run;
    bool printing = false;
    bool capturing = false;
    bool printOption = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
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
        if (argument == "--format" || argument.startsWith("--format=")) {
            const QString value = argument.contains('=')   ? argument.section('=', 1)
                                  : ++i < arguments.size() ? arguments[i]
                                                           : QString();
            static const QStringList formats{"html", "hex", "rgb"};
            run.format = static_cast<int>(formats.indexOf(value));
            if (run.format < 0)
                return Refuse(
                    QStringLiteral("--format takes html, hex or rgb, not '%1'").arg(value));
            printOption = true;
            continue;
        }
        if (argument == "--help" || argument == "-h")
            return {CommandLine::Help,
                    UsageText() +
                        QStringLiteral(
                            "\nShows the colour of the screen pixel under the mouse pointer.\n"
                            "Press Space anywhere to hold the colour and copy it (as text and as "
                            "a picture);\npress it again to go on sampling.\n\n"
                            "Options:\n"
                            "  -h, --help     show this help and exit\n"
                            "  -v, --version  show the version and exit\n"
                            "  --capture      make the running Kalvor capture, as Space would: "
                            "hold the\n"
                            "                 colour under the pointer, add it to the history "
                            "and copy it\n"
                            "                 (or go back to sampling when it is held). Bind it "
                            "to a key.\n"
                            "                 The copy on the same X display takes it; of two "
                            "there, the one\n"
                            "                 that started first. Exit 1 when none runs.\n"
                            "                   example: kalvor --capture\n"
                            "  --print        print the code of the colour under the pointer "
                            "and exit,\n"
                            "                 without a window; exit 1 when it cannot be read\n"
                            "                   example: kalvor --print --format rgb\n"
                            "  --format F     for --print: html (#1E69D2), hex (1E69D2) or rgb "
                            "(30,105,210);\n"
                            "                 the format chosen in the window by default\n"
                            "  --lower, --upper\n"
                            "                 for --print: the case of hexadecimal codes; the "
                            "window's by default\n"
                            "Qt's own options, such as -display or -style, are accepted too.\n"),
                    {}};
        if (argument == "--version" || argument == "-v")
            return {CommandLine::Version,
                    QStringLiteral("kalvor %1\n").arg(QStringLiteral(KALVOR_VERSION)),
                    {}};
        if (!argument.startsWith('-'))
            return Refuse(QStringLiteral("unexpected argument '%1'").arg(argument));
        QString name = argument.mid(argument.startsWith("--") ? 2 : 1);
        const bool valueAttached = name.contains('=');
        name = name.section('=', 0, 0);
        if (QtOptionsWithValue.contains(name)) {
            QString value = argument.section('=', 1);
            if (!valueAttached && name != "qmljsdebugger")
                value = ++i < arguments.size() ? arguments[i] : QString();
            if (name == "display")
                run.display = value;
            continue;
        }
        if (QtFlags.contains(name) && !valueAttached)
            continue;
        return Refuse(QStringLiteral("unknown option '%1'").arg(argument));
    }
    if (capturing && (printing || printOption))
        return Refuse(QStringLiteral("--capture takes no --print options"));
    if (printOption && !printing)
        return Refuse(QStringLiteral("--format, --lower and --upper go with --print"));
    if (capturing)
        run.action = CommandLine::Capture;
    if (printing)
        run.action = CommandLine::Print;
    return run;
}
