// Where a window opens whose stored position may lie off every screen.
#include "app/WindowPlacement.h"

#include <QTest>

class WindowPlacementTest : public QObject {
    Q_OBJECT
  private slots:
    void placement_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("opens");
        const QList<QRect> one{{0, 0, 1920, 1080}};
        const QList<QRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
        QTest::newRow("inside") << QRect(60, 60, 274, 164) << one << QPoint(60, 60);
        QTest::newRow("half off the right, title still reachable")
            << QRect(1800, 100, 274, 164) << one << QPoint(1800, 100);
        QTest::newRow("body below the bottom, title reachable")
            << QRect(100, 1060, 274, 164) << one << QPoint(100, 1060);
        QTest::newRow("off the right")
            << QRect(5000, 100, 274, 164) << one << QPoint(1920 - 274, 100);
        QTest::newRow("a removed second monitor")
            << QRect(2500, 300, 274, 164) << one << QPoint(1920 - 274, 300);
        QTest::newRow("second monitor present")
            << QRect(2500, 300, 274, 164) << two << QPoint(2500, 300);
        QTest::newRow("above the top: title unreachable")
            << QRect(100, -30, 274, 164) << one << QPoint(100, 0);
        QTest::newRow("far up and left") << QRect(-9000, -9000, 274, 164) << one << QPoint(0, 0);
        QTest::newRow("only a sliver of title")
            << QRect(1900, 100, 274, 164) << one << QPoint(1920 - 274, 100);
        QTest::newRow("nearest of two")
            << QRect(3300, 900, 274, 164) << two << QPoint(3200 - 274, 900 - 40);
        QTest::newRow("no screens known")
            << QRect(5000, 5000, 274, 164) << QList<QRect>() << QPoint(5000, 5000);
    }

    void placement() {
        QFETCH(QRect, frame);
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, opens);
        QCOMPARE(ReachablePosition(frame, 24, screens), opens);
    }
};

QTEST_GUILESS_MAIN(WindowPlacementTest)
#include "tst_window_placement.moc"
