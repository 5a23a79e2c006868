#include "linux/CommandLine.h"

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

const HelpWords QtHelpWords = {" [Qt options]", " [-display NAME]",
                               "The copy on the same display takes it; of two there,\n             "
                               "    the one that started first.",
                               "Qt's own options, such as -display or -style, are accepted too.\n"};

QString UsageText() {
    return QString::fromStdString(UsageText(QtHelpWords));
}

CommandLine ParseCommandLine(const QStringList &arguments) {
    std::vector<std::string> words;
    for (const QString &argument : arguments)
        words.push_back(argument.toStdString());
    QString display;
    FrontEndOptions qt;
    qt.usage = UsageText().toStdString();
    qt.help = HelpText(QtHelpWords);
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
    static_assert(int(CommandLine::Contrast) == int(CommandOptions::Contrast));
    CommandLine run;
    run.action = static_cast<CommandLine::Action>(options.action);
    run.message = QString::fromStdString(options.message);
    if (options.action == CommandOptions::Misuse || options.action == CommandOptions::Help ||
        options.action == CommandOptions::Version)
        return run;
    run.display = display;
    run.format = options.format;
    run.upperCase = options.upperCase;
    run.average = options.average;
    run.space = options.space;
    run.paletteWord = options.paletteWord;
    run.text = options.text;
    run.ground = options.ground;
    return run;
}
