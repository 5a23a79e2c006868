// Number texts of the settings file, both ways.
#include "settings/NumberText.h"

#include <QTest>

class NumberTextTest : public QObject {
    Q_OBJECT
  private slots:
    void integers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "1" << true << 1;
        QTest::newRow("negative") << "-1" << true << -1;
        QTest::newRow("blanks around") << "  2 \t" << true << 2;
        QTest::newRow("half rounds to even, up") << "1.5" << true << 2;
        QTest::newRow("half rounds to even, down") << "2.5" << true << 2;
        QTest::newRow("half to zero") << "0.5" << true << 0;
        QTest::newRow("negative half") << "-0.5" << true << 0;
        QTest::newRow("over a half") << "0.51" << true << 1;
        QTest::newRow("lowest") << "-32768" << true << -32768;
        QTest::newRow("highest") << "32767" << true << 32767;
        QTest::newRow("rounds past the top") << "32767.5" << false << 0;
        QTest::newRow("past the bottom") << "-32769" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blanks only") << "   " << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("trailing letters") << "1x" << false << 0;
        QTest::newRow("inner blank") << "1 2" << false << 0;
        QTest::newRow("not a number") << "nan" << false << 0;
        QTest::newRow("infinite") << "inf" << false << 0;
    }

    void integers() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto got = ParseInteger16(text);
        QCOMPARE(got.has_value(), ok);
        if (ok)
            QCOMPARE(*got, value);
    }

    void singles() {
        QCOMPARE(ParseSingle("900").value_or(-1), 900.0f);
        QCOMPARE(ParseSingle(" -45 ").value_or(-1), -45.0f);
        QCOMPARE(ParseSingle("757.5").value_or(-1), 757.5f);
        QVERIFY(!ParseSingle("").has_value());
        QVERIFY(!ParseSingle("left").has_value());
        QVERIFY(!ParseSingle("1e39").has_value());
    }

    void singleTexts() {
        QCOMPARE(SingleText(900), QStringLiteral("900"));
        QCOMPARE(SingleText(-45), QStringLiteral("-45"));
        QCOMPARE(SingleText(0), QStringLiteral("0"));
        QCOMPARE(SingleText(491505), QStringLiteral("491505"));
        QCOMPARE(SingleText(1234567), QStringLiteral("1234567"));
        QCOMPARE(ParseSingle(SingleText(757.5f)).value_or(-1), 757.5f);
    }
};

QTEST_GUILESS_MAIN(NumberTextTest)
#include "tst_number_text.moc"
