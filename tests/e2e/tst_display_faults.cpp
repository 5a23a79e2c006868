// The program when the display is missing, refuses, goes away, or is Wayland's XWayland
// (run under with-xvfb.sh, which provides the working display).
#include "linux/DisplayChoice.h"
#include "support/Files.h"
#include "support/X11TestTools.h"

#include <QDir>
#include <QFileInfo>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

struct Ended {
    bool finished = false;
    bool crashed = false;
    int code = -1;
    QByteArray err;
};

QString Program() {
    static QTemporaryDir folder;
    return folder.filePath("kalvor");
}

// Runs the program with a changed environment, waits up to timeoutMs for its end.
Ended RunProgram(const QStringList &set, const QStringList &unset, int timeoutMs = 10000) {
    QProcess kalvor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : unset)
        environment.remove(name);
    for (const QString &pair : set)
        environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
    kalvor.setProcessEnvironment(environment);
    kalvor.start(Program(), {});
    Ended ended;
    ended.finished = kalvor.waitForFinished(timeoutMs);
    if (!ended.finished) {
        kalvor.kill();
        kalvor.waitForFinished();
    }
    ended.crashed = kalvor.exitStatus() == QProcess::CrashExit;
    ended.code = kalvor.exitCode();
    ended.err = kalvor.readAllStandardError();
    return ended;
}

// The program's own lines on standard error (Qt's may come too).
QList<QByteArray> OwnLines(const QByteArray &err) {
    QList<QByteArray> own;
    for (const QByteArray &line : err.split('\n'))
        if (line.startsWith("kalvor: "))
            own.append(line);
    return own;
}

} // namespace

class DisplayFaultsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // A portable copy of its own, so that its settings file lands here, not in the build.
        QVERIFY(x11test::CopyProgram(Program()));
        // With the Wayland backend's module, which a portable copy keeps beside it.
        const QDir build = QFileInfo(qEnvironmentVariable("KALVOR_BINARY")).dir();
        const QString module = QFileInfo(Program()).dir().filePath("kalvor-wayland.so");
        QVERIFY(QFile::copy(build.filePath("kalvor-wayland.so"), module));
    }

    void choosingTheDisplay() {
        QVERIFY(ChooseDisplay({"", "", "", "", ""}).error.contains("DISPLAY is not set"));
        QVERIFY(ChooseDisplay({"", "wayland-0", "wayland", "", ""}).error.contains("XWayland"));
        const DisplayChoice x11 = ChooseDisplay({":0", "", "x11", "", ""});
        QVERIFY(x11.error.isEmpty() && x11.forceX11 && x11.note.isEmpty());
        QCOMPARE(x11.x11Display, QStringLiteral(":0"));
        // XWayland: the window stays on X11; reading X11 there is said to see little.
        const DisplayChoice xwayland = ChooseDisplay({":0", "wayland-0", "wayland", "", ""});
        QVERIFY(xwayland.error.isEmpty() && xwayland.forceX11 && xwayland.note.contains("X11"));
        const DisplayChoice portal = ChooseDisplay({":0", "wayland-0", "wayland", "", "", true});
        QVERIFY(portal.forceX11 && !portal.nativeWayland && portal.note.isEmpty());
        // No XWayland: only the portal reads on, in a Wayland window, and says what it lacks.
        const DisplayChoice native = ChooseDisplay({"", "wayland-0", "wayland", "", "", true});
        QVERIFY(native.error.isEmpty() && native.nativeWayland && !native.forceX11);
        QVERIFY(native.note.contains("saved position"));
        const DisplayChoice byHand = ChooseDisplay({"", "", "", "offscreen", ""});
        QVERIFY(byHand.error.isEmpty() && !byHand.forceX11);
        // The command line's display wins, with DISPLAY set or not.
        QCOMPARE(ChooseDisplay({":0", "", "", "", ":5"}).x11Display, QStringLiteral(":5"));
        const DisplayChoice unset = ChooseDisplay({"", "", "", "", ":5"});
        QVERIFY(unset.error.isEmpty() && unset.forceX11);
        // A Wayland session, for the display and the backend alike: either variable says so.
        QVERIFY(InWaylandSession({":0", "wayland-0", "", "", ""}));
        QVERIFY(InWaylandSession({":0", "", "Wayland", "", ""}));
        QVERIFY(!InWaylandSession({":0", "", "x11", "", ""}));
        QCOMPARE(CaptureChannelName(":5", "wayland-0"), QStringLiteral(":5"));
        QCOMPARE(CaptureChannelName("", "wayland-0"), QStringLiteral("wayland:wayland-0"));
    }

    void theDisplayOptionIsTheDisplaySampled() {
        // DISPLAY names another server; the window and the sampling both go to -display.
        QProcess other;
        const QString otherDisplay = x11test::StartXvfb(other);
        QVERIFY(!otherDisplay.isEmpty());
        const QString ours = qEnvironmentVariable("DISPLAY");
        QVERIFY(x11test::Run("xsetroot", {"-solid", "#102030"}));
        QVERIFY(x11test::Run("xdotool", {"mousemove", "600", "450"}));
        // Both forms Qt reads; the one it would pass over (-display=NAME) is refused.
        const struct {
            QString display;
            QString option;
        } runs[] = {{otherDisplay, "-display"}, {QString(), "--display"}};
        for (const auto &[display, option] : runs) {
            QProcess kalvor;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            if (display.isEmpty())
                environment.remove("DISPLAY");
            else
                environment.insert("DISPLAY", display);
            kalvor.setProcessEnvironment(environment);
            kalvor.start(Program(), {option, ours});
            QVERIFY(kalvor.waitForStarted());
            QVERIFY2(!x11test::KalvorWindow().isEmpty(),
                     "no window on the display named by -display");
            QTest::qWait(200);
            QVERIFY(x11test::Run("xdotool", {"key", "space"}));
            QTRY_COMPARE_WITH_TIMEOUT(x11test::Clipboard("UTF8_STRING"), QByteArray("#102030"),
                                      5000);
            ::kill(static_cast<pid_t>(kalvor.processId()), SIGTERM);
            QVERIFY(kalvor.waitForFinished(10000));
            QCOMPARE(kalvor.exitCode(), 0);
        }
        for (const QString option : {"-display=", "--display="}) {
            QProcess refused;
            refused.start(Program(), {option + ours, "--capture"});
            QVERIFY(refused.waitForFinished(10000));
            QCOMPARE(refused.exitCode(), 2);
            QVERIFY(refused.readAllStandardError().contains("unknown option"));
        }
        other.terminate(); // killed outright, Xvfb would leave its socket in /tmp
        other.waitForFinished();
    }

    void noDisplayOrARefusingOneSaysWhyInOneLine_data() {
        QTest::addColumn<QStringList>("set");
        QTest::addColumn<QStringList>("unset");
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("DISPLAY not set")
            << QStringList() << QStringList{"DISPLAY", "WAYLAND_DISPLAY"}
            << QByteArray("DISPLAY is not set");
        QTest::newRow("nothing answers") << QStringList{"DISPLAY=:87"} << QStringList()
                                         << QByteArray("no X server answers there");
        QTest::newRow("not a display name")
            << QStringList{"DISPLAY=garbage"} << QStringList() << QByteArray("not a display");
        QTest::newRow("no such screen")
            << QStringList{"DISPLAY=" + qEnvironmentVariable("DISPLAY") + ".7"} << QStringList()
            << QByteArray("no such screen");
    }

    void noDisplayOrARefusingOneSaysWhyInOneLine() {
        QFETCH(QStringList, set);
        QFETCH(QStringList, unset);
        QFETCH(QByteArray, says);
        const Ended ended = RunProgram(set, unset + QStringList{"QT_QPA_PLATFORM"});
        QVERIFY(ended.finished);
        QVERIFY(!ended.crashed);
        QCOMPARE(ended.code, 1);
        QCOMPARE(ended.err.count('\n'), 1);
        QVERIFY2(ended.err.contains(says), ended.err);
    }

    void aWaylandSessionKeepsTheWindowOnXWaylandAndSaysWhatItLacksOnce() {
        // Reading through X11 by choice, and through a portal that is not there, by choice and
        // by default. PipeWire comes with the Wayland backend's module only: the X11 program
        // maps neither. Without the module, the program says so and reads through X11.
        const struct {
            const char *backend;
            bool moduleThere;
            bool mapsPipeWire;
            QList<QByteArray> says;
        } runs[] = {{"x11", true, false, {"X11 windows"}},
                    {"wayland", true, true, {"screen-sharing portal"}},
                    {"", true, true, {"screen-sharing portal"}},
                    {"wayland", false, false, {"kalvor-wayland.so", "X11 windows"}}};
        const QString module = QFileInfo(Program()).dir().filePath("kalvor-wayland.so");
        for (const auto &run : runs) {
            if (!run.moduleThere)
                QVERIFY(QFile::rename(module, module + ".away"));
            QProcess kalvor;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("WAYLAND_DISPLAY", "wayland-kalvor-test");
            environment.insert("XDG_SESSION_TYPE", "wayland");
            environment.insert("KALVOR_BACKEND", run.backend);
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kalvor-bus");
            environment.remove("QT_QPA_PLATFORM");
            kalvor.setProcessEnvironment(environment);
            kalvor.start(Program(), {});
            QVERIFY(kalvor.waitForStarted());
            QVERIFY2(!x11test::KalvorWindow().isEmpty(), "no window on XWayland's display");
            QTest::qWait(700);
            const QByteArray maps =
                files::Contents(QStringLiteral("/proc/%1/maps").arg(kalvor.processId()));
            ::kill(static_cast<pid_t>(kalvor.processId()), SIGTERM);
            QVERIFY(kalvor.waitForFinished(10000));
            if (!run.moduleThere)
                QVERIFY(QFile::rename(module + ".away", module));
            QVERIFY(maps.contains("/libQt6Core.so"));
            QCOMPARE(maps.contains("/libpipewire-0.3.so"), run.mapsPipeWire);
            QCOMPARE(maps.contains("/kalvor-wayland.so"), run.mapsPipeWire);
            QCOMPARE(kalvor.exitStatus(), QProcess::NormalExit);
            const QList<QByteArray> own = OwnLines(kalvor.readAllStandardError());
            QCOMPARE(own.size(), run.says.size());
            for (qsizetype i = 0; i < own.size(); ++i)
                QVERIFY2(own[i].contains(run.says[i]), own[i]);
        }
    }

    void theServerGoingAwayEndsTheProgramPromptlyAndSaves() {
        const QString ini = QFileInfo(Program()).dir().filePath("Kalvor.ini");
        QFile::remove(ini);
        QProcess server;
        const QString display = x11test::StartXvfb(server);
        QVERIFY(!display.isEmpty());

        QProcess kalvor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display);
        kalvor.setProcessEnvironment(environment);
        kalvor.start(Program(), {});
        QVERIFY(kalvor.waitForStarted());
        QTest::qWait(1000); // sampling
        QVERIFY2(kalvor.state() == QProcess::Running, kalvor.readAllStandardError());

        server.terminate(); // gone all the same for its clients; its socket goes with it
        server.waitForFinished();
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(kalvor.waitForFinished(5000), "still running after its X server went away");
        qInfo("ended %lld ms after the server, exit code %d", clock.elapsed(), kalvor.exitCode());
        QCOMPARE(kalvor.exitStatus(), QProcess::NormalExit); // no abort, no core dump
        QVERIFY(kalvor.exitCode() != 0);
        const QByteArray saved = files::Contents(ini);
        QVERIFY2(saved.startsWith("[Position]\r\nLeft=") &&
                     saved.endsWith("\r\n[Output]\r\nUpperCase=1\r\nType=0\r\n[Loupe]\r\n"
                                    "Visible=0\r\nZoom=8\r\nSample=1\r\n[Colour]\r\n"
                                    "Space=0\r\n[History]\r\nKeep=0\r\n"),
                 saved);
    }
};

QTEST_GUILESS_MAIN(DisplayFaultsTest)
#include "tst_display_faults.moc"
