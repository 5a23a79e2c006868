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
    return QStringLiteral("Usage: kalvor [--help] [--version] [Qt options]\n");
}

CommandLine ParseCommandLine(const QStringList &arguments) {
    QString display;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
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
                            "Qt's own options, such as -display or -style, are accepted too.\n"),
                    {}};
        if (argument == "--version" || argument == "-v")
            return {CommandLine::Version,
                    QStringLiteral("kalvor %1\n").arg(QStringLiteral(KALVOR_VERSION)), {}};
        if (!argument.startsWith('-'))
            return {CommandLine::Misuse,
                    QStringLiteral("kalvor: unexpected argument '%1'\n").arg(argument) +
                        UsageText(),
                    {}};
        QString name = argument.mid(argument.startsWith("--") ? 2 : 1);
        const bool valueAttached = name.contains('=');
        name = name.section('=', 0, 0);
        if (QtOptionsWithValue.contains(name)) {
            QString value = argument.section('=', 1);
            if (!valueAttached && name != "qmljsdebugger")
                value = ++i < arguments.size() ? arguments[i] : QString();
            if (name == "display")
                display = value;
            continue;
        }
        if (QtFlags.contains(name) && !valueAttached)
            continue;
        return {CommandLine::Misuse,
                QStringLiteral("kalvor: unknown option '%1'\n").arg(argument) + UsageText(), {}};
    }
    CommandLine run;
    run.display = display;
    return run;
}
