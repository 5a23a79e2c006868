// `kalvor --print` and `kalvor --capture` against a live X server (run under with-xvfb.sh):
// the colour printed, and a running copy driven from outside as Space would drive it; the
// loupe and the averaged sample of the running copy, seen on the screen.
#include "support/Files.h"
#include "support/X11TestTools.h"

#include <QColor>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <optional>

using x11test::Clipboard;
using x11test::CopyProgram;
using x11test::GeometryOf;
using x11test::KalvorWindow;
using x11test::Output;
using x11test::Ran;
using x11test::Run;
using x11test::RunToEnd;
using x11test::WindowTitled;

namespace {

// The colours of a GIMP palette, in order, as "#RRGGBB"; none when it has no header.
QStringList PaletteColours(const QByteArray &palette) {
    const QList<QByteArray> lines = palette.split('\n');
    QStringList colours;
    if (lines.isEmpty() || !lines.first().startsWith("GIMP Palette"))
        return colours;
    static const QRegularExpression line(R"(^\s*(\d+)\s+(\d+)\s+(\d+)(\s|$))");
    for (const QByteArray &text : lines)
        if (const auto found = line.match(QString::fromUtf8(text)); found.hasMatch())
            colours << QColor(found.captured(1).toInt(), found.captured(2).toInt(),
                              found.captured(3).toInt())
                           .name()
                           .toUpper();
    return colours;
}

// Keys typed into the window titled title once it shows (10 s at most).
bool KeysTo(const QString &title, const QStringList &keys) {
    const QString id = WindowTitled(title);
    return !id.isEmpty() && Run("xdotool", {"windowfocus", "--sync", id}) &&
           Run("xdotool", QStringList{"key", "--delay", "100"} + keys);
}

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

    x11test::Root root;

    // The next start's settings: the window where it covers nothing around the pointer, and
    // the loupe's section. Where the window's client area is, unless it did not show.
    std::optional<QPoint> StartAwayFrom(QProcess &kalvor, QPoint pointer, const QByteArray &loupe) {
        const QSize screen = root.Size();
        const QPoint window(pointer.x() < screen.width() / 2 ? screen.width() - 274 : 0,
                            pointer.y() < screen.height() / 2 ? screen.height() - 268 : 0);
        if (!files::Put(dir.filePath("Kalvor.ini"),
                        "[Position]\r\nLeft=" + QByteArray::number(window.x() * 15) +
                            "\r\nTop=" + QByteArray::number(window.y() * 15) + "\r\n" + loupe) ||
            !Run("xdotool",
                 {"mousemove", QString::number(pointer.x()), QString::number(pointer.y())}))
            return {};
        kalvor.start(program, {});
        const QString id = kalvor.waitForStarted() ? KalvorWindow() : QString();
        return id.isEmpty() ? std::nullopt : std::optional(GeometryOf(id).topLeft());
    }

    static bool End(QProcess &kalvor) {
        ::kill(static_cast<pid_t>(kalvor.processId()), SIGTERM);
        return kalvor.waitForFinished(10000);
    }

    Ran Kalvor(const QStringList &arguments, const QStringList &set = {}) {
        return RunToEnd(program, arguments, set);
    }

  private slots:
    void initTestCase() {
        program = dir.filePath("kalvor");
        QVERIFY(CopyProgram(program));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        QVERIFY2(root.Usable(), "no true-colour root to paint");
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

    // The strip's menu by keys: right-click at, then keys.
    static bool StripMenu(QPoint at, const QStringList &keys) {
        return Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()),
                               "click", "3", "sleep", "1", "mousemove", "600", "450"}) &&
               Run("xdotool", QStringList{"key", "--delay", "100"} + keys);
    }

    void historyIsKeptPrintedClearedAndExported() {
        if (QGuiApplication::primaryScreen()->depth() < 24)
            QSKIP("reads the window's pixels back exactly: depth 24 only");
        const QString ini = dir.filePath("Kalvor.ini");
        const QString kept = dir.filePath("Kalvor.gpl");
        QFile::remove(ini);
        QFile::remove(kept);
        QVERIFY(Run("xdotool", {"mousemove", "600", "450"}));
        const QPoint swatch0(20 + 16 + 8, 20 + 80 + 8);
        const QPoint pastSwatches = swatch0 + QPoint(17 * 8, 0);
        const auto start = [&](QProcess &kalvor) {
            kalvor.start(program, {});
            const QString id = kalvor.waitForStarted() ? KalvorWindow() : QString();
            const bool moved =
                !id.isEmpty() && Run("xdotool", {"windowmove", "--sync", id, "20", "20"});
            QTest::qWait(300);
            return moved;
        };
        const QPoint preview(20 + 40, 20 + 24);
        int captured = 0;
        const auto capture = [&](const QString &colour) {
            if (!Run("xsetroot", {"-solid", colour}))
                return false;
            // Only once the window (its face beside the preview, not the root) shows it, and
            // the swatch before letting go: on a loaded machine a tick may be late.
            const QRgb shown = QColor(colour).rgb() & 0xFFFFFFu;
            const QPoint swatch = swatch0 + QPoint(17 * captured++, 0);
            return QTest::qWaitFor(
                       [&] {
                           return ScreenPixel(QPoint(20 + 4, 20 + 4)) != shown &&
                                  ScreenPixel(preview) == shown;
                       },
                       5000) &&
                   Kalvor({"--capture"}).code == 0 &&
                   QTest::qWaitFor([&] { return ScreenPixel(swatch) == shown; }, 5000) &&
                   Kalvor({"--capture"}).code == 0;
        };
        const QStringList three{"#1E69D2", "#FF8000", "#336699"};
        QProcess kalvor;
        QVERIFY(start(kalvor));
        for (const QString &colour : three)
            QVERIFY(capture(colour));
        QTRY_COMPARE_WITH_TIMEOUT(ScreenPixel(swatch0 + QPoint(34, 0)), 0x336699u, 3000);
        const Ran printed = Kalvor({"--history", "--format", "gpl"});
        QCOMPARE(printed.code, 0);
        QCOMPARE(PaletteColours(printed.out), three);
        QCOMPARE(Kalvor({"--history"}).out, QByteArray("#1E69D2\n#FF8000\n#336699\n"));
        QVERIFY(!QFile::exists(kept)); // not kept: nothing written

        // "履歴を保存する", the first entry: the strip is written at once.
        QVERIFY(StripMenu(swatch0, {"Down", "Return"}));
        QTRY_COMPARE_WITH_TIMEOUT(PaletteColours(files::Contents(kept)), three, 3000);
        QVERIFY(End(kalvor));
        QVERIFY(files::Contents(ini).endsWith("[History]\r\nKeep=1\r\n"));

        // A restart shows the three; a fourth capture adds its line.
        QVERIFY(start(kalvor));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(QColor(ScreenPixel(swatch0 + QPoint(17 * i, 0))).name().toUpper(), three[i]);
        QVERIFY(capture("#00FF80"));
        const QStringList four = three + QStringList{"#00FF80"};
        QTRY_COMPARE_WITH_TIMEOUT(PaletteColours(files::Contents(kept)), four, 3000);

        // "書き出し…" in each type, the path typed into the dialog.
        const struct {
            const char *file;
            QByteArray holds;
        } exports[] = {
            {"out.gpl", "255 128   0\t#FF8000\n"},
            {"out.css", "  --kalvor-4: #00FF80;\n}\n"},
            {"out.json", "\"hex\": \"#00FF80\", \"red\": 0, \"green\": 255, \"blue\": 128}\n]\n"},
            // The last colour block: #00FF80 named by its code, 0.0, 1.0 and 128/255.
            {"out.ase", QByteArray::fromHex("000100000024000800230030003000460046003800300000"
                                            "52474220000000003f8000003f0080810002")},
            {"out.txt", "#1E69D2\n#FF8000\n#336699\n#00FF80\n"},
        };
        for (const auto &type : exports) {
            const QString path = dir.filePath(type.file);
            QVERIFY(StripMenu(pastSwatches, {"Down", "Down", "Return"}));
            QVERIFY(KeysTo("書き出し", {"ctrl+a"}));
            QVERIFY(Run("xdotool", {"type", "--delay", "20", path}));
            QVERIFY(Run("xdotool", {"key", "Return"}));
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 5000);
            QTest::qWait(200);
            const QByteArray bytes = files::Contents(path);
            QVERIFY2(bytes.contains(type.holds), type.file);
        }
        QVERIFY(files::Contents(dir.filePath("out.ase"))
                    .startsWith(QByteArray("ASEF\0\1\0\0\0\0\0\4", 12)));

        // "履歴を消去", the last entry: cleared after the yes only.
        QVERIFY(StripMenu(pastSwatches, {"Down", "Down", "Down", "Return"}));
        QVERIFY(KeysTo("確認", {"Escape"})); // no
        QTest::qWait(300);
        QCOMPARE(PaletteColours(files::Contents(kept)), four);
        QVERIFY(StripMenu(pastSwatches, {"Down", "Down", "Down", "Return"}));
        QVERIFY(KeysTo("確認", {"alt+y"}));
        QTRY_COMPARE_WITH_TIMEOUT(PaletteColours(files::Contents(kept)), QStringList(), 3000);
        QVERIFY(files::Contents(kept).startsWith("GIMP Palette\n"));
        const Ran empty = Kalvor({"--history"});
        QCOMPARE(empty.code, 1);
        QCOMPARE(empty.err.count('\n'), 1);
        QVERIFY(End(kalvor));
        const Ran none = Kalvor({"--history", "--format", "css"});
        QCOMPARE(none.code, 1);
        QVERIFY2(none.err.contains("no colours in"), none.err);
        QVERIFY(files::Put(kept, "GIMP Palette\n1 2 3\tMine\n"));
        QCOMPARE(Kalvor({"--history", "--format", "rgb"}).out, QByteArray("1,2,3\n"));
        // Binary to a terminal is refused; to a pipe it goes.
        QCOMPARE(Kalvor({"--history", "--format", "ase"}).out.left(4), QByteArray("ASEF"));
        const QByteArray onTerminal =
            Output("script", {"-qc", program + " --history --format ase", "/dev/null"}, 10000);
        QVERIFY2(onTerminal.contains("is binary") && !onTerminal.contains("ASEF"), onTerminal);
        QFile::remove(ini);
        QFile::remove(kept);
    }

    void contrastOfTwoColours() {
        const Ran ran = Kalvor({"--contrast", "#777777", "255,255,255"});
        QCOMPARE(ran.code, 0);
        QVERIFY2(ran.out.startsWith("#777777 on #FFFFFF\nWCAG 2 contrast ratio 4.48:1: AA fail"),
                 ran.out);
        QCOMPARE(Kalvor({"--contrast", "#77777", "FFFFFF"}).code, 2);
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

    void theLoupeShowsTheScreenAroundThePointer_data() {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QPoint>("pointer"); // negative: from the right or bottom edge
        QTest::newRow("middle, zoom 8") << 8 << QPoint(321, 238);
        QTest::newRow("middle, zoom 3: a margin") << 3 << QPoint(300, 200);
        QTest::newRow("middle, zoom 2: no grid") << 2 << QPoint(330, 251);
        QTest::newRow("near the left edge, zoom 4") << 4 << QPoint(3, 100);
        QTest::newRow("top left, zoom 8") << 8 << QPoint(0, 0);
        QTest::newRow("top right, zoom 16") << 16 << QPoint(-1, 0);
        QTest::newRow("bottom left, zoom 6") << 6 << QPoint(0, -1);
        QTest::newRow("bottom right, zoom 12") << 12 << QPoint(-1, -1);
    }

    void theLoupeShowsTheScreenAroundThePointer() {
        QFETCH(int, zoom);
        QFETCH(QPoint, pointer);
        const QSize screen = root.Size();
        pointer = {pointer.x() < 0 ? screen.width() + pointer.x() : pointer.x(),
                   pointer.y() < 0 ? screen.height() + pointer.y() : pointer.y()};
        QVERIFY(root.Paint(x11test::CoordinatePattern(screen)));
        QProcess kalvor;
        const std::optional<QPoint> window = StartAwayFrom(
            kalvor, pointer, "[Loupe]\r\nVisible=1\r\nZoom=" + QByteArray::number(zoom) + "\r\n");
        QVERIFY2(window, "no Kalvor window");
        // The panel's face, below the loupe's texts.
        QTRY_COMPARE_WITH_TIMEOUT(
            x11test::LoupeMismatch(root.Shot(), *window, pointer, zoom, QPoint(200, 240)),
            QString(), 5000);
        const QImage shot = root.Shot(); // one pixel sampled: the preview is the centre block
        QCOMPARE(shot.pixel(*window + QPoint(40, 24)), shot.pixel(pointer));
        QVERIFY(End(kalvor));
    }

    void theAveragedSample_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QByteArray>("code");
        // Red where x + y is even, blue elsewhere: exact at depth 16 too. Rounded per channel.
        QTest::newRow("3x3 on red") << 3 << QPoint(100, 100) << QByteArray("#8E0071");
        QTest::newRow("3x3 on blue") << 3 << QPoint(101, 100) << QByteArray("#71008E");
        QTest::newRow("5x5 on red") << 5 << QPoint(100, 100) << QByteArray("#85007A");
        QTest::newRow("5x5 on blue") << 5 << QPoint(100, 101) << QByteArray("#7A0085");
        QTest::newRow("3x3 in the corner: 2x2 read") << 3 << QPoint(0, 0) << QByteArray("#800080");
        QTest::newRow("5x5 in the far corner: 3x3 read")
            << 5 << QPoint(-1, -1) << QByteArray("#8E0071");
        QTest::newRow("1 pixel") << 1 << QPoint(100, 100) << QByteArray("#FF0000");
    }

    void theAveragedSample() {
        QFETCH(int, side);
        QFETCH(QPoint, pointer);
        QFETCH(QByteArray, code);
        const QSize screen = root.Size();
        pointer = {pointer.x() < 0 ? screen.width() + pointer.x() : pointer.x(),
                   pointer.y() < 0 ? screen.height() + pointer.y() : pointer.y()};
        QImage checker(2, 2, QImage::Format_RGB32);
        checker.fill(qRgb(255, 0, 0));
        checker.setPixel(0, 1, qRgb(0, 0, 255));
        checker.setPixel(1, 0, qRgb(0, 0, 255));
        QVERIFY(root.Paint(checker));

        // The window with the sample stored: the code a capture copies, and the preview.
        QProcess kalvor;
        const QByteArray stored = "[Loupe]\r\nSample=" + QByteArray::number(side) + "\r\n";
        const std::optional<QPoint> window = StartAwayFrom(kalvor, pointer, stored);
        QVERIFY2(window, "no Kalvor window");
        QTest::qWait(200);
        QCOMPARE(Kalvor({"--capture"}).code, 0);
        QTRY_COMPARE_WITH_TIMEOUT(Clipboard("UTF8_STRING"), code, 3000);
        if (QGuiApplication::primaryScreen()->depth() >= 24)
            QCOMPARE(root.Shot().pixel(*window + QPoint(40, 24)) & 0xFFFFFF,
                     QColor(QString::fromLatin1(code)).rgb() & 0xFFFFFF);
        QVERIFY(End(kalvor));

        // --print: the stored sample, and the one asked for over another stored one.
        QVERIFY(files::Put(dir.filePath("Kalvor.ini"), stored));
        QCOMPARE(Kalvor({"--print"}).out, code + '\n');
        QVERIFY(files::Put(dir.filePath("Kalvor.ini"), "[Loupe]\r\nSample=1\r\n"));
        QCOMPARE(Kalvor({"--print", "--average", QString::number(side)}).out, code + '\n');
        QVERIFY(QFile::remove(dir.filePath("Kalvor.ini")));
    }
};

QTEST_MAIN(CommandLineActionsTest)
#include "tst_command_line_actions.moc"
