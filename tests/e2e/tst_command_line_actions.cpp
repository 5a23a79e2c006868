// `kalvor --print` and `kalvor --capture` against a live X server (run under with-xvfb.sh):
// the colour printed, and a running copy driven from outside as Space would drive it.
#include "support/Files.h"
#include "support/X11TestTools.h"

#include <QGuiApplication>
#include <QLocalSocket>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using x11test::Clipboard;
using x11test::KalvorWindow;
using x11test::Output;
using x11test::Run;

namespace {

struct Ran {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

QRgb ScreenPixel(QPoint at) {
    return QGuiApplication::primaryScreen()
               ->grabWindow(0, at.x(), at.y(), 1, 1)
               .toImage()
               .pixel(0, 0) &
           0xFFFFFF;
}

} // namespace

class CommandLineActionsTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir;     // a portable copy and its settings file
    QTemporaryDir runtime; // the user's runtime folder, where the channel lives
    QString program;

    Ran Kalvor(const QStringList &arguments, const QStringList &set = {}) {
        QProcess kalvor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &pair : set)
            environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
        kalvor.setProcessEnvironment(environment);
        kalvor.start(program, arguments);
        // Served while waiting: the clipboard a capture fills lives in another process.
        if (!QTest::qWaitFor([&] { return kalvor.state() == QProcess::NotRunning; }, 10000))
            kalvor.kill();
        kalvor.waitForFinished();
        return {kalvor.exitStatus() == QProcess::NormalExit ? kalvor.exitCode() : -1,
                kalvor.readAllStandardOutput(), kalvor.readAllStandardError()};
    }

  private slots:
    void initTestCase() {
        program = dir.filePath("kalvor");
        QVERIFY(QFile::copy(qEnvironmentVariable("KALVOR_BINARY"), program));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }

    void printsTheColourUnderThePointer() {
        // At depth 16 only colours with whole 5- and 6-bit channels come back exact.
        const bool deep = QGuiApplication::primaryScreen()->depth() >= 24;
        const QString colour = deep ? "#1E69D2" : "#FF00FF";
        const QString lower = colour.toLower();
        const QString rgb = deep ? "30,105,210" : "255,0,255";
        QVERIFY(Run("xsetroot", {"-solid", colour}));
        QVERIFY(Run("xdotool", {"mousemove", "600", "450"}));
        const QByteArray stored = "[Output]\r\nUpperCase=0\r\nType=1\r\n";
        QVERIFY(files::Put(dir.filePath("Kalvor.ini"), stored));
        const struct {
            QStringList options;
            QString printed;
        } cases[] = {
            {{}, lower.mid(1)}, // the window's format and case
            {{"--format", "html"}, lower},
            {{"--format=html", "--upper"}, colour},
            {{"--format", "hex", "--upper"}, colour.mid(1)},
            {{"--lower", "--format", "rgb"}, rgb},
            {{"--format", "hsl"}, deep ? "hsl(215 75% 47%)" : "hsl(300 100% 50%)"},
            {{"--format=hsv", "--lower"}, deep ? "hsv(215 86% 82%)" : "hsv(300 100% 100%)"},
            {{"--format", "oklch"}, deep ? "oklch(0.537 0.177 258.3)" : "oklch(0.702 0.322 328.4)"},
        };
        for (const auto &c : cases) {
            const Ran ran = Kalvor(QStringList{"--print"} + c.options);
            QCOMPARE(ran.code, 0);
            QCOMPARE(ran.out, (c.printed + '\n').toLatin1());
        }
        QCOMPARE(files::Contents(dir.filePath("Kalvor.ini")), stored);
        QVERIFY(QFile::remove(dir.filePath("Kalvor.ini")));
        QCOMPARE(Kalvor({"--print"}).out, (colour + '\n').toLatin1()); // no file: HTML, upper

        QProcess full; // a code that cannot be written is a failure, not a print
        full.setStandardOutputFile("/dev/full");
        full.start(program, {"--print"});
        QVERIFY(full.waitForFinished(10000));
        QCOMPARE(full.exitCode(), 1);
        QVERIFY(full.readAllStandardError().contains("cannot write the code"));

        const Ran nowhere = Kalvor({"--print"}, {"DISPLAY=:97"});
        QCOMPARE(nowhere.code, 1);
        QVERIFY(nowhere.out.isEmpty());
        QCOMPARE(nowhere.err.count('\n'), 1);
        QVERIFY(!QFile::exists(dir.filePath("Kalvor.ini")));
    }

    void captureDrivesTheRunningCopy() {
        if (QGuiApplication::primaryScreen()->depth() < 24)
            QSKIP("reads the window's pixels back exactly: depth 24 only");
        QVERIFY(Run("xsetroot", {"-solid", "#1E69D2"}));
        QVERIFY(Run("xdotool", {"mousemove", "600", "450"}));
        QProcess kalvor;
        kalvor.start(program, {});
        QVERIFY(kalvor.waitForStarted());
        const QString id = KalvorWindow();
        QVERIFY(!id.isEmpty());
        QVERIFY(Run("xdotool", {"windowmove", "--sync", id, "20", "20"}));
        QTest::qWait(200);
        const QPoint preview(20 + 40, 20 + 24);
        const QPoint swatch0(20 + 16 + 8, 20 + 80 + 8);
        const QPoint swatch1 = swatch0 + QPoint(17, 0);
        const QRgb background = ScreenPixel(swatch1);

        // As Space: the hold goes on, one swatch, text and picture on the clipboard.
        QCOMPARE(Kalvor({"--capture"}).code, 0);
        QTRY_COMPARE_WITH_TIMEOUT(Clipboard("UTF8_STRING"), QByteArray("#1E69D2"), 3000);
        QVERIFY(QImage::fromData(Clipboard("image/png"), "PNG").size() == QSize(33, 33));
        QTRY_COMPARE(ScreenPixel(swatch0), 0x1E69D2u);
        QVERIFY(Run("xsetroot", {"-solid", "#FF0000"}));
        QTest::qWait(300);
        QCOMPARE(ScreenPixel(preview), 0x1E69D2u); // held

        // Again: back to sampling, nothing captured.
        QCOMPARE(Kalvor({"--capture"}).code, 0);
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixel(preview), 0xFF0000u, 3000);
        QCOMPARE(ScreenPixel(swatch1), background);

        // Held by a click: a capture only releases the hold, as Space would.
        QVERIFY(
            Run("xdotool", {"mousemove", QString::number(preview.x()), QString::number(preview.y()),
                            "click", "1", "mousemove", "600", "450"}));
        QVERIFY(Run("xsetroot", {"-solid", "#00FF00"}));
        QCOMPARE(Kalvor({"--capture"}).code, 0);
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixel(preview), 0x00FF00u, 3000);
        QCOMPARE(ScreenPixel(swatch1), background);
        QCOMPARE(Clipboard("UTF8_STRING"), QByteArray("#1E69D2"));

        // Garbage, half a message and a silent client leave it sampling, capturing nothing.
        const QString socket = runtime.filePath("kalvor/capture-" +
                                                qEnvironmentVariable("DISPLAY").section('.', 0, 0));
        QLocalSocket garbage, half, silent;
        for (QLocalSocket *client : {&garbage, &half, &silent}) {
            client->connectToServer(socket);
            QVERIFY2(client->waitForConnected(2000), qPrintable(socket));
        }
        garbage.write(QByteArray(5000, 'x') + "\ncapture v1\n");
        half.write("capture");
        QVERIFY(garbage.waitForBytesWritten(1000) && half.waitForBytesWritten(1000));
        QVERIFY(Run("xsetroot", {"-solid", "#0000FF"}));
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixel(preview), 0x0000FFu, 3000);
        QTest::qWait(300);
        QCOMPARE(ScreenPixel(swatch1), background);
        QCOMPARE(Clipboard("UTF8_STRING"), QByteArray("#1E69D2"));
        QCOMPARE(Kalvor({"--capture"}).code, 0); // and a real request still gets through
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixel(swatch1), 0x0000FFu, 3000);

        // Four at once, within a tick or two: four presses, so two more swatches, held.
        QVERIFY(Run("xsetroot", {"-solid", "#00FFFF"}));
        QTest::qWait(300);
        QProcess quick[4];
        for (QProcess &request : quick)
            request.start(program, {"--capture"});
        for (QProcess &request : quick) {
            QVERIFY(request.waitForFinished(5000));
            QCOMPARE(request.exitCode(), 0);
        }
        const QPoint swatch3 = swatch1 + QPoint(2 * 17, 0);
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixel(swatch3), 0x00FFFFu, 3000);
        QTest::qWait(500);
        QCOMPARE(ScreenPixel(swatch1 + QPoint(17, 0)), 0x00FFFFu);
        QCOMPARE(ScreenPixel(swatch3 + QPoint(17, 0)), background);
        QVERIFY(Run("xsetroot", {"-solid", "#FF00FF"}));
        QTest::qWait(300);
        QCOMPARE(ScreenPixel(preview), 0x00FFFFu); // held

        ::kill(static_cast<pid_t>(kalvor.processId()), SIGTERM);
        QVERIFY(kalvor.waitForFinished(10000));
        const Ran alone = Kalvor({"--capture"});
        QCOMPARE(alone.code, 1);
        QCOMPARE(alone.err.count('\n'), 1);
    }

    void captureFindsAWindowOnAnotherQtPlatform() {
        // DISPLAY is set, yet the window is not on X (as a Wayland window beside XWayland):
        // both sides must name the channel alike.
        const QStringList set{"QT_QPA_PLATFORM=offscreen", "WAYLAND_DISPLAY=wayland-kalvor-test",
                              "KALVOR_BACKEND=x11"};
        QProcess kalvor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &pair : set)
            environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
        kalvor.setProcessEnvironment(environment);
        kalvor.start(program, {});
        QVERIFY(kalvor.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] {
                return QFile::exists(
                           runtime.filePath("kalvor/capture-wayland:wayland-kalvor-test")) ||
                       kalvor.state() == QProcess::NotRunning;
            },
            10000));
        const Ran ran = Kalvor({"--capture"}, set);
        ::kill(static_cast<pid_t>(kalvor.processId()), SIGTERM);
        QVERIFY(kalvor.waitForFinished(10000));
        QVERIFY2(ran.code == 0, ran.err);
    }
};

QTEST_MAIN(CommandLineActionsTest)
#include "tst_command_line_actions.moc"
