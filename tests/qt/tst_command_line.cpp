// Kalvor's own options, and Qt's passed through.
#include "linux/CommandLine.h"

#include <QTest>

class CommandLineTest : public QObject {
    Q_OBJECT
  private slots:
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::newRow("nothing") << QStringList{"kalvor"} << int(CommandLine::Run);
        QTest::newRow("help") << QStringList{"kalvor", "--help"} << int(CommandLine::Help);
        QTest::newRow("short help") << QStringList{"kalvor", "-h"} << int(CommandLine::Help);
        QTest::newRow("version") << QStringList{"kalvor", "--version"} << int(CommandLine::Version);
        QTest::newRow("help wins over a Qt option")
            << QStringList{"kalvor", "-style", "Fusion", "--help"} << int(CommandLine::Help);
        QTest::newRow("Qt option with its value")
            << QStringList{"kalvor", "-platform", "xcb"} << int(CommandLine::Run);
        QTest::newRow("Qt option, double dash, =value")
            << QStringList{"kalvor", "--style=Fusion", "-reverse"} << int(CommandLine::Run);
        QTest::newRow("a value that looks like ours is the option's")
            << QStringList{"kalvor", "-title", "--help"} << int(CommandLine::Run);
        QTest::newRow("unknown option")
            << QStringList{"kalvor", "--frobnicate"} << int(CommandLine::Misuse);
        QTest::newRow("stray argument")
            << QStringList{"kalvor", "file.png"} << int(CommandLine::Misuse);
        QTest::newRow("a Qt flag given a value")
            << QStringList{"kalvor", "-reverse=1"} << int(CommandLine::Misuse);
        // "=value" only where Qt reads it too: else Qt would pass it over.
        QTest::newRow("display=") << QStringList{"kalvor", "-display=:4"}
                                  << int(CommandLine::Misuse);
        QTest::newRow("--display=")
            << QStringList{"kalvor", "--capture", "--display=:4"} << int(CommandLine::Misuse);
        QTest::newRow("platform=")
            << QStringList{"kalvor", "-platform=offscreen"} << int(CommandLine::Misuse);
        QTest::newRow("stylesheet=")
            << QStringList{"kalvor", "-stylesheet=a.qss"} << int(CommandLine::Run);
        QTest::newRow("capture") << QStringList{"kalvor", "--capture"} << int(CommandLine::Capture);
        QTest::newRow("print") << QStringList{"kalvor", "--print"} << int(CommandLine::Print);
        QTest::newRow("a format without --print")
            << QStringList{"kalvor", "--format", "hex"} << int(CommandLine::Misuse);
        QTest::newRow("an unknown format")
            << QStringList{"kalvor", "--print", "--format", "cmyk"} << int(CommandLine::Misuse);
        QTest::newRow("capture with print options")
            << QStringList{"kalvor", "--capture", "--upper"} << int(CommandLine::Misuse);
    }

    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        const CommandLine command = ParseCommandLine(arguments);
        QCOMPARE(int(command.action), action);
        if (command.action == CommandLine::Misuse)
            QVERIFY(command.message.contains(UsageText()));
        if (command.action == CommandLine::Version)
            QVERIFY(command.message.startsWith("kalvor "));
    }

    void printOptionsAndTheDisplay() {
        const CommandLine print = ParseCommandLine(
            {"kalvor", "--lower", "-display", ":3", "--print", "--format=rgb", "--upper"});
        QCOMPARE(int(print.action), int(CommandLine::Print));
        QCOMPARE(print.format, 2);
        QCOMPARE(print.upperCase, 1); // the last word wins
        QCOMPARE(print.display, QStringLiteral(":3"));
        QCOMPARE(ParseCommandLine({"kalvor", "--print"}).format, -2);
        QCOMPARE(ParseCommandLine({"kalvor", "--display", ":4"}).display, QStringLiteral(":4"));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
