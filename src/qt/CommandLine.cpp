#include "qt/CommandLine.h"

#include "core/CommandLineOptions.h"

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
const QStringList QtOptionsAlsoWithEquals = {"style", "stylesheet", "qmljsdebugger"};
const QStringList QtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

} // namespace

QString UsageText() {
    return QStringLiteral("Usage: kalvor [--help] [--version] [Qt options]\n"
                          "       kalvor --capture [-display NAME]\n"
                          "       kalvor --print [--format %1] [--lower|--upper] "
                          "[-display NAME]\n")
        .arg(QString::fromStdString(FormatChoices()));
}

CommandLine ParseCommandLine(const QStringList &arguments) {
    std::vector<std::string> words;
    for (const QString &argument : arguments)
        words.push_back(argument.toStdString());
    QString display;
    FrontEndOptions qt;
    qt.usage = UsageText().toStdString();
    qt.help = "\nShows the colour of the screen pixel under the mouse pointer.\n"
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
              "                   example: kalvor --print --format rgb\n" +
              FormatHelp() +
              "  --lower, --upper\n"
              "                 for --print: the case of hexadecimal codes; the "
              "window's by default\n"
              "Qt's own options, such as -display or -style, are accepted too.\n";
    qt.version = KALVOR_VERSION;
    // Qt's options stay for Qt to take, in the forms Qt reads them: "-name VALUE" or
    // "--name VALUE", and "=VALUE" only where Qt reads that too (a -display=:1 that Qt would
    // pass over must not send the sampling elsewhere). -display also names the display to act on.
    qt.takeOwn = [&display](const std::vector<std::string> &all, std::size_t at) {
        const QString argument = QString::fromStdString(all[at]);
        QString name = argument.mid(argument.startsWith("--") ? 2 : 1);
        const bool valueAttached = name.contains('=');
        name = name.section('=', 0, 0);
        if (QtOptionsWithValue.contains(name)) {
            if (valueAttached)
                return QtOptionsAlsoWithEquals.contains(name) ? 0 : -1;
            if (name == "display")
                display = at + 1 < all.size() ? QString::fromStdString(all[at + 1]) : QString();
            return 1;
        }
        return QtFlags.contains(name) && !valueAttached ? 0 : -1;
    };
    const CommandOptions options = ParseOptions(words, qt);
    static_assert(int(CommandLine::Print) == int(CommandOptions::Print));
    CommandLine run;
    run.action = static_cast<CommandLine::Action>(options.action);
    run.message = QString::fromStdString(options.message);
    if (options.action == CommandOptions::Misuse || options.action == CommandOptions::Help ||
        options.action == CommandOptions::Version)
        return run;
    run.display = display;
    run.format = options.format;
    run.upperCase = options.upperCase;
    return run;
}
