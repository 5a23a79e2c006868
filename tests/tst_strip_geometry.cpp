// Where swatches stand and how the strip scrolls, far past 16-bit pixel counts.
#include "history/StripGeometry.h"

#include <QTest>

class StripGeometryTest : public QObject {
    Q_OBJECT
  private slots:
    void placesAndWidths_data() {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("lastLeft");
        QTest::addColumn<qint64>("width");
        QTest::addColumn<bool>("scrolls");
        QTest::addColumn<int>("max");
        QTest::newRow("one swatch keeps the design width") << 1LL << 0LL << 185LL << false << 0;
        QTest::newRow("two") << 2LL << 17LL << 34LL << false << 0;
        QTest::newRow("eleven, still inside the design width")
            << 11LL << 170LL << 187LL << false << 0;
        QTest::newRow("fourteen fill the frame") << 14LL << 221LL << 238LL << false << 0;
        QTest::newRow("fifteenth enables scrolling") << 15LL << 238LL << 255LL << true << 1;
        QTest::newRow("sixteenth") << 16LL << 255LL << 272LL << true << 2;
        QTest::newRow("past 16-bit indices") << 32769LL << 557056LL << 557073LL << true << 32755;
        QTest::newRow("a million") << 1000000LL << 16999983LL << 17000000LL << true << 999986;
    }

    void placesAndWidths() {
        QFETCH(qint64, count);
        QFETCH(qint64, lastLeft);
        QFETCH(qint64, width);
        QFETCH(bool, scrolls);
        QFETCH(int, max);
        QCOMPARE(SwatchLeft(count - 1), lastLeft);
        QCOMPARE(StripWidth(count), width);
        const ScrollRange range = ScrollRangeFor(count);
        QCOMPARE(range.enabled, scrolls);
        if (scrolls)
            QCOMPARE(range.max, max);
    }

    void offsets_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<qint64>("afterChange");
        QTest::addColumn<qint64>("whileDragging");
        QTest::newRow("start") << 0LL << 2LL << 0LL;
        QTest::newRow("one step") << 1LL << -15LL << -12LL;
        QTest::newRow("last value in 16 bits after a change") << 1927LL << -32757LL << -23124LL;
        QTest::newRow("first past it") << 1928LL << -32774LL << -23136LL;
        QTest::newRow("last in 16 bits while dragging") << 2730LL << -46408LL << -32760LL;
        QTest::newRow("first past that") << 2731LL << -46425LL << -32772LL;
        QTest::newRow("end of a million") << 999986LL << -16999760LL << -11999832LL;
    }

    void offsets() {
        QFETCH(qint64, value);
        QFETCH(qint64, afterChange);
        QFETCH(qint64, whileDragging);
        QCOMPARE(StripLeftAfterChange(value), afterChange);
        QCOMPARE(StripLeftWhileDragging(value), whileDragging);
    }

    void swatchUnderThePointer_data() {
        QTest::addColumn<qint64>("x");
        QTest::addColumn<qint64>("stripLeft");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("index");
        QTest::newRow("empty strip takes no clicks") << 5LL << 0LL << 0LL << -1LL;
        QTest::newRow("first swatch") << 0LL << 0LL << 1LL << 0LL;
        QTest::newRow("its right edge") << 16LL << 0LL << 1LL << 0LL;
        QTest::newRow("past the last swatch") << 17LL << 0LL << 1LL << -1LL;
        QTest::newRow("left margin after a change") << 1LL << 2LL << 3LL << -1LL;
        QTest::newRow("second swatch") << 19LL << 2LL << 3LL << 1LL;
        QTest::newRow("scrolled to the end of a million")
            << 230LL << StripLeftAfterChange(999986) << 1000000LL << 999999LL;
        QTest::newRow("frame's first whole swatch there")
            << 2LL << StripLeftAfterChange(999986) << 1000000LL << 999986LL;
        QTest::newRow("dragged, between swatches")
            << 100LL << -12LL * 40000 << 60000LL << (100LL + 480000) / 17;
    }

    void swatchUnderThePointer() {
        QFETCH(qint64, x);
        QFETCH(qint64, stripLeft);
        QFETCH(qint64, count);
        QFETCH(qint64, index);
        QCOMPARE(SwatchUnder(x, stripLeft, count), index);
    }

    void swatchesInView() {
        SwatchSpan span = SwatchesInView(0, 0, 241);
        QVERIFY(span.last < span.first);
        span = SwatchesInView(0, 20, 241);
        QCOMPARE(span.first, 0);
        QCOMPARE(span.last, 14); // the 15th shows its first 3 pixels
        span = SwatchesInView(StripLeftAfterChange(5), 100, 241);
        QCOMPARE(span.first, 4); // the 2-pixel margin shows the last columns of swatch 4
        QCOMPARE(span.last, 19);
        span = SwatchesInView(StripLeftWhileDragging(1), 100, 241);
        QCOMPARE(span.first, 0); // swatch 0 still shows 5 pixels
        span = SwatchesInView(StripLeftAfterChange(999986), 1000000, 241);
        QCOMPARE(span.first, 999985); // again in the margin
        QCOMPARE(span.last, 999999);
    }
};

QTEST_GUILESS_MAIN(StripGeometryTest)
#include "tst_strip_geometry.moc"
