// The real X11 layer against a live X server (run under with-xvfb.sh): exact pixels, the
// pointer in native coordinates, and Space seen whatever client has the focus.
#include "core/loupe/LoupePicture.h"
#include "platform/x11/X11Screen.h"
#include "qt/LoupeBox.h"
#include "qt/PictureBox.h"
#include "qt/ToggleFrame.h"
#include "support/TestWindow.h"
#include "support/X11TestTools.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

using x11test::Run;

QString Hex(ColourValue colour) {
    return QStringLiteral("%1").arg(static_cast<quint32>(colour), 8, 16, QLatin1Char('0'));
}

} // namespace

class X11SamplingTest : public QObject {
    Q_OBJECT
  private:
    std::unique_ptr<X11Screen> screen;
    QSize size;
    int depth = 0;

    ColourValue SampleAt(FenwoMainWindow &w, QPoint at) {
        if (!Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())}))
            return CLR_INVALID;
        w.Core().Timer1_Timer();
        return w.Picture1->BackColor();
    }

  private slots:
    void initTestCase() {
        screen = X11Screen::Open(qEnvironmentVariable("DISPLAY").toStdString());
        QVERIFY2(screen, "no X display");
        QVERIFY(screen->SeesEveryPress());
        // In native pixels, whatever scale Qt applies to its own coordinates.
        QProcess geometry;
        geometry.start("xdotool", {"getdisplaygeometry"});
        QVERIFY(geometry.waitForFinished());
        const QStringList wh = QString::fromLatin1(geometry.readAllStandardOutput()).split(' ');
        QCOMPARE(wh.size(), 2);
        size = QSize(wh[0].toInt(), wh[1].trimmed().toInt());
        depth = QGuiApplication::primaryScreen()->depth();
        qInfo("screen %dx%d at depth %d", size.width(), size.height(), depth);
    }

    void exactColourAtEveryCorner_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("colour");
        QTest::newRow("asymmetric") << "#1E69D2" << 0x00D2691Eu;
        QTest::newRow("red") << "#FF0000" << 0x000000FFu;
        QTest::newRow("green") << "#00FF00" << 0x0000FF00u;
        QTest::newRow("blue") << "#0000FF" << 0x00FF0000u;
        QTest::newRow("white") << "#FFFFFF" << 0x00FFFFFFu;
        QTest::newRow("black") << "#000000" << 0x00000000u;
        QTest::newRow("grey") << "#808080" << 0x00808080u;
    }

    void exactColourAtEveryCorner() {
        QFETCH(QString, name);
        QFETCH(quint32, colour);
        QVERIFY(Run("xsetroot", {"-solid", name}));
        TestWindow t(*screen);
        FenwoMainWindow &w = t.w;
        w.Core().Form_Load();
        const QPoint corners[] = {{0, 0},
                                  {size.width() - 1, 0},
                                  {0, size.height() - 1},
                                  {size.width() - 1, size.height() - 1},
                                  {size.width() / 2, size.height() / 2}};
        const ColourComponents want = SplitColour(static_cast<ColourValue>(colour));
        for (const QPoint at : corners) {
            const ColourValue got = SampleAt(w, at);
            const ColourComponents c = SplitColour(got);
            if (depth >= 24) {
                QVERIFY2(got == static_cast<ColourValue>(colour),
                         qPrintable(Hex(got) + " at " + QString::number(at.x()) + "," +
                                    QString::number(at.y())));
            } else {
                // 5 and 6 bits a channel: within one step, and the extremes stay exact.
                QVERIFY2((got & 0xFF000000) == 0, qPrintable(Hex(got)));
                for (const auto &[g, e] :
                     {std::pair{c.red, want.red}, {c.green, want.green}, {c.blue, want.blue}}) {
                    QVERIFY2(qAbs(g - e) <= 8, qPrintable(Hex(got)));
                    if (e == 0 || e == 255)
                        QCOMPARE(g, e);
                }
            }
        }
    }

  private:
    // A one-pixel checkerboard of red and blue.
    bool CheckerRoot() {
        QTemporaryDir dir;
        const QString bitmap = dir.filePath("checker.xbm");
        QFile file(bitmap);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("#define checker_width 2\n#define checker_height 2\n"
                   "static char checker_bits[] = {\n   0x01, 0x02};\n");
        file.close();
        return Run("xsetroot", {"-bitmap", bitmap, "-fg", "#FF0000", "-bg", "#0000FF"});
    }

  private slots:
    void theNativePixelUnderThePointer() {
        // Any neighbour read by mistake shows the other colour.
        QVERIFY(CheckerRoot());
        TestWindow t(*screen);
        FenwoMainWindow &w = t.w;
        w.Core().Form_Load();
        const QPoint points[] = {{100, 100},
                                 {101, 100},
                                 {101, 101},
                                 {333, 150},
                                 {size.width() - 1, size.height() - 1},
                                 {size.width() - 2, 7}};
        for (const QPoint at : points) {
            const ColourValue expected = (at.x() + at.y()) % 2 == 0 ? 0x000000FF : 0x00FF0000;
            const ColourValue got = SampleAt(w, at);
            QVERIFY2(got == expected, qPrintable(Hex(got) + " at " + QString::number(at.x()) + "," +
                                                 QString::number(at.y())));
        }
    }

    // Under QT_SCALE_FACTOR=1.5 as well: drawn at the screen's pixels, never stretched.
    void theLoupesBlocksAreAllOneSize() {
        QVERIFY(CheckerRoot());
        TestWindow t(*screen);
        FenwoMainWindow &w = t.w;
        w.move(20, 20);
        w.show(); // Form_Load first
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Core().PreviewMenu_Click(1);   // ルーペ
        w.Core().PreviewMenu_Click(103); // 3 倍
        QVERIFY(Run("xdotool", {"mousemove", "580", "455"}));
        w.Core().Timer1_Timer();
        QTest::qWait(50); // the box's size, as it is told to the core, comes queued
        const QImage shown = w.Picture5->grab().toImage();
        const int side = qRound(LoupeViewSize * w.Picture5->devicePixelRatioF());
        QCOMPARE(shown.width(), side);
        const int reach = LoupeReach(3);
        const int block = LoupeBlock(3, side);
        const int origin = (side - (2 * reach + 1) * block) / 2;
        const int y = origin + block - 1;
        QList<int> runs{1};
        for (int x = origin + 1; x < origin + (2 * reach + 1) * block; ++x) {
            if (shown.pixel(x, y) == shown.pixel(x - 1, y))
                ++runs.back();
            else
                runs.append(1);
        }
        QCOMPARE(runs, QList<int>(2 * reach + 1, block));
    }

    void readsOffTheScreenFailWithoutHarm() {
        const std::uintptr_t root = screen->GetDesktopWindow();
        const QPoint outside[] = {{-1, 0},
                                  {0, -1},
                                  {size.width(), 0},
                                  {0, size.height()},
                                  {size.width(), size.height()},
                                  {1 << 20, 1 << 20}};
        for (const QPoint at : outside)
            QVERIFY2(screen->GetPixel(root, {at.x(), at.y()}) == CLR_INVALID,
                     qPrintable(QString::number(at.x()) + "," + QString::number(at.y())));
        QCOMPARE(screen->GetPixel(0, {0, 0}), CLR_INVALID);
        // The connection is still good afterwards.
        QVERIFY(Run("xsetroot", {"-solid", "#102030"}));
        QVERIFY(Run("xdotool", {"mousemove", "5", "5"}));
        QVERIFY(screen->GetCursorPos() == ScreenPoint({5, 5}));
        if (depth >= 24)
            QCOMPARE(screen->GetPixel(root, {5, 5}), 0x00302010);
    }

    // The output off, nothing pins the screen's size, and no monitor is left (then the whole
    // root counts as one): Xvfb's screen then changes size by xrandr --fb up to its start size.
    void aScreenThatChangesSizeIsFollowed() {
        const auto restore = qScopeGuard([] { Run("xrandr", {"--output", "screen", "--auto"}); });
        QVERIFY(Run("xsetroot", {"-solid", "#102030"}));
        const std::uintptr_t root = screen->GetDesktopWindow();
        QVERIFY(Run("xrandr", {"--output", "screen", "--off", "--fb", "320x240"}));
        const PixelSquare edge = screen->ReadSquare(root, {319, 100}, 1);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                QCOMPARE(edge.At(dx, dy) == CLR_INVALID, dx == 1);
        const auto small = X11Screen::Open(qEnvironmentVariable("DISPLAY").toStdString());
        QVERIFY(
            Run("xrandr", {"--fb", QStringLiteral("%1x%2").arg(size.width()).arg(size.height())}));
        QVERIFY(small->GetPixel(root, {size.width() - 1, size.height() - 1}) != CLR_INVALID);
    }

    void pixelsOnNoMonitorAreUnread() {
        const auto restore = qScopeGuard([] {
            Run("xrandr", {"--delmonitor", "left"});
            Run("xrandr", {"--delmonitor", "right"});
            Run("xrandr", {"--output", "screen", "--auto"});
        });
        QVERIFY(Run("xsetroot", {"-solid", "#102030"}));
        const std::uintptr_t root = screen->GetDesktopWindow();
        QVERIFY(Run("xrandr", {"--output", "screen", "--off", "--fb",
                               QStringLiteral("%1x%2").arg(size.width()).arg(size.height())}));
        QVERIFY(Run("xrandr", {"--setmonitor", "left", "200/50x240/50+0+0", "none"}));
        QVERIFY(Run("xrandr", {"--setmonitor", "right", "300/50x100/50+200+0", "none"}));
        // Where the two meet: only the corner below the shorter one lies on neither.
        const PixelSquare corner = screen->ReadSquare(root, {199, 99}, 1);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                QCOMPARE(corner.At(dx, dy) == CLR_INVALID, dx == 1 && dy == 1);
        QCOMPARE(screen->GetPixel(root, {100, 300}), CLR_INVALID);
        QCOMPARE(screen->GetPixel(root, {size.width() - 1, 0}), CLR_INVALID);
        QVERIFY(Run("xrandr", {"--delmonitor", "right"}));
        QVERIFY(Run("xrandr", {"--delmonitor", "left"}));
        QVERIFY(screen->GetPixel(root, {size.width() - 1, 0}) != CLR_INVALID);
    }

    void aWindowUnmappedUnderThePointer() {
        QVERIFY(Run("xsetroot", {"-solid", "#102030"}));
        QProcess clock;
        clock.start("xclock", {"-geometry", "100x100+300+200", "-bg", "#FF0000", "-title",
                               "blinking-client"});
        QVERIFY(clock.waitForStarted());
        const QString id =
            QString::fromLatin1(x11test::Output("xdotool",
                                                {"search", "--sync", "--name", "blinking-client"},
                                                10000))
                .split('\n')
                .first();
        QVERIFY(!id.isEmpty());
        TestWindow t(*screen);
        FenwoMainWindow &w = t.w;
        w.Core().Form_Load();
        const ColourValue root = depth >= 24 ? 0x00302010 : SampleAt(w, {5, 5});
        bool sawWindow = false;
        for (int round = 0; round < 15; ++round) {
            QVERIFY(Run("xdotool", {"windowunmap", "--sync", id}));
            QCOMPARE(SampleAt(w, {303, 203}), root);
            QVERIFY(Run("xdotool", {"windowmap", "--sync", id}));
            const ColourValue shown = SampleAt(w, {303, 203});
            QVERIFY2(shown == root || (shown & 0xFF) > 0xE0, qPrintable(Hex(shown)));
            sawWindow = sawWindow || shown != root;
            QVERIFY(Run("xdotool", {"windowunmap", id})); // no wait: read while it goes
            QVERIFY(SampleAt(w, {303, 203}) != CLR_INVALID);
            QVERIFY(Run("xdotool", {"windowmap", "--sync", id}));
            QTest::qWait(20);
        }
        QVERIFY2(sawWindow, "the window never showed under the pointer");
        clock.kill();
        clock.waitForFinished();
    }

    void quickSpaceWhileAnotherClientHasTheFocus() {
        x11test::FocusedClient other;
        QVERIFY2(other.Start(), "no other client holding the focus");

        TestWindow t(*screen);
        FenwoMainWindow &w = t.w;
        w.move(20, 20);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.isActiveWindow());
        QTest::qWait(120);
        QCOMPARE(w.Check1->isChecked(), false);

        QVERIFY(Run("xdotool", {"key", "space"}));
        QTRY_COMPARE_WITH_TIMEOUT(w.Check1->isChecked(), true, 3000);
        QCOMPARE(w.Timer1->interval(), 200);
        QTest::qWait(450); // a tap must flip the hold once, not at every tick after it
        QCOMPARE(w.Check1->isChecked(), true);

        QVERIFY(Run("xdotool", {"key", "space"}));
        QTRY_COMPARE_WITH_TIMEOUT(w.Check1->isChecked(), false, 3000);
        QCOMPARE(w.Timer1->interval(), 50);
    }
};

QTEST_MAIN(X11SamplingTest)
#include "tst_x11_sampling.moc"
