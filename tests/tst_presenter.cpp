// What the window shows for a colour value: swatch, components and code line.
#include "app/DropDownList.h"
#include "app/FenwoMain.h"
#include "app/OptionBox.h"
#include "app/PictureBox.h"
#include "app/TextBox.h"
#include "colour/CodeText.h"
#include "support/FakeScreenPlatform.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

class PresenterTest : public QObject {
    Q_OBJECT
  private:
    static void Choose(FenwoMain &w, int format, int caseValue) {
        QVERIFY(w.Combo1->setListIndex(format));
        QVERIFY(w.Check2->setValue(caseValue));
    }

  private slots:
    void workedExamples_data() {
        QTest::addColumn<quint32>("colour");
        QTest::addColumn<QStringList>("components");
        QTest::addColumn<QStringList>(
            "codes"); // html upper, html lower, hex upper, hex lower, comma
        QTest::newRow("pure red") << 0x000000FFu << QStringList{"255", "0", "0"}
                                  << QStringList{"#FF0000", "#ff0000", "FF0000", "ff0000",
                                                 "255,0,0"};
        QTest::newRow("pure green")
            << 0x0000FF00u << QStringList{"0", "255", "0"}
            << QStringList{"#00FF00", "#00ff00", "00FF00", "00ff00", "0,255,0"};
        QTest::newRow("pure blue")
            << 0x00FF0000u << QStringList{"0", "0", "255"}
            << QStringList{"#0000FF", "#0000ff", "0000FF", "0000ff", "0,0,255"};
        QTest::newRow("mid grey") << 0x00808080u << QStringList{"128", "128", "128"}
                                  << QStringList{"#808080", "#808080", "808080", "808080",
                                                 "128,128,128"};
        QTest::newRow("white") << 0x00FFFFFFu << QStringList{"255", "255", "255"}
                               << QStringList{"#FFFFFF", "#ffffff", "FFFFFF", "ffffff",
                                              "255,255,255"};
        QTest::newRow("black") << 0x00000000u << QStringList{"0", "0", "0"}
                               << QStringList{"#000000", "#000000", "000000", "000000", "0,0,0"};
        QTest::newRow("asymmetric")
            << 0x00D2691Eu << QStringList{"30", "105", "210"}
            << QStringList{"#1E69D2", "#1e69d2", "1E69D2", "1e69d2", "30,105,210"};
        QTest::newRow("below sixteen")
            << 0x000A0F01u << QStringList{"1", "15", "10"}
            << QStringList{"#010F0A", "#010f0a", "010F0A", "010f0a", "1,15,10"};
        QTest::newRow("system colour reference")
            << 0x8000000Fu << QStringList{"15", "0", "0"}
            << QStringList{"#0F0000", "#0f0000", "0F0000", "0f0000", "15,0,0"};
    }

    void workedExamples() {
        QFETCH(quint32, colour);
        QFETCH(QStringList, components);
        QFETCH(QStringList, codes);
        const struct {
            int format;
            int caseValue;
        } columns[] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {2, 1}};
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        for (int c = 0; c < 5; ++c) {
            Choose(w, columns[c].format, columns[c].caseValue);
            w.ShowColor(static_cast<ColourValue>(colour));
            QCOMPARE(w.Picture1->BackColor(), static_cast<ColourValue>(colour));
            QCOMPARE(w.Text1[0]->text(), components[0]);
            QCOMPARE(w.Text1[1]->text(), components[1]);
            QCOMPARE(w.Text1[2]->text(), components[2]);
            QCOMPARE(w.Text2->text(), codes[c]);
        }
    }

    void greyedCaseIsUpperAndCommaIgnoresCase() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        Choose(w, 0, 2);
        w.ShowColor(0x00D2691E);
        QCOMPARE(w.Text2->text(), QStringLiteral("#1E69D2"));
        Choose(w, 2, 0);
        QCOMPARE(w.Text2->text(), QStringLiteral("30,105,210"));
    }

    void noFormatGivesEmptyCodeButComponents() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        Choose(w, 0, 1);
        w.ShowColor(0x00D2691E);
        QVERIFY(w.Combo1->setListIndex(-1));
        QCOMPARE(w.Text2->text(), QString());
        w.ShowColor(0x000000FF);
        QCOMPARE(w.Text2->text(), QString());
        QCOMPARE(w.Text1[0]->text(), QStringLiteral("255"));
        QCOMPARE(w.Picture1->BackColor(), 0x000000FF);
    }

    void optionChangesRerenderTheColourOnShow() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        Choose(w, 0, 1);
        w.ShowColor(0x00D2691E);
        w.Check2->click(); // to unchecked
        QCOMPARE(w.Text2->text(), QStringLiteral("#1e69d2"));
        w.Combo1->setListIndex(1);
        QCOMPARE(w.Text2->text(), QStringLiteral("1e69d2"));
        w.Check2->click();
        QCOMPARE(w.Check2->Value(), 1);
        QCOMPARE(w.Text2->text(), QStringLiteral("1E69D2"));
        QCOMPARE(screen.pixelReads, 0);
    }

    void userClickFromGreyedChecks() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        QVERIFY(w.Check2->setValue(2));
        w.Check2->click();
        QCOMPARE(w.Check2->Value(), 1);
        w.Check2->click();
        QCOMPARE(w.Check2->Value(), 0);
        w.Check2->click();
        QCOMPARE(w.Check2->Value(), 1);
        QVERIFY(!w.Check2->setValue(3));
        QCOMPARE(w.Check2->Value(), 1);
    }

    void formatIndexOutsideTheListIsRefused() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        QVERIFY(!w.Combo1->setListIndex(3));
        QVERIFY(!w.Combo1->setListIndex(-2));
        QCOMPARE(w.Combo1->ListIndex(), -1);
    }

    void startingColourPaintsTheButtonFace() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        QCOMPARE(w.Picture1->BackColor(), COLOR_BTNFACE_REF);
        const QImage image = w.Picture1->Image();
        QCOMPARE(image.size(), QSize(33, 33));
        QCOMPARE(image.pixelColor(16, 16), w.Picture1->palette().color(QPalette::Button));
    }

    void failedReadIsNeverShownAsWhite() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        Choose(w, 0, 1);
        w.ShowColor(0x00808080);
        w.ShowColor(CLR_INVALID);
        for (TextBox *box : w.Text1)
            QCOMPARE(box->text(), QString());
        QCOMPARE(w.Text2->text(), QString());
        const QImage image = w.Picture1->Image();
        int white = 0;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                colours.insert(image.pixel(x, y));
                white += image.pixel(x, y) == qRgb(255, 255, 255);
            }
        QVERIFY2(colours.size() > 1, "a failed read must not look like one solid colour");
        QVERIFY(white < image.width() * image.height() / 2);
    }

    void caseToggleMovesFocusToTheCodeOnlyOnceShown() {
        FakeScreenPlatform screen;
        screen.pixel = 0x000000FF; // what ticks read while the window shows
        FenwoMain w(screen);
        Choose(w, 2, 1);
        w.ShowColor(0x000000FF);
        QVERIFY(w.Check2->setValue(0)); // not shown yet: renders, focus stays
        QCOMPARE(w.Text2->text(), QStringLiteral("255,0,0"));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Timer1->stop();
        Choose(w, 2, 1); // start-up restored the saved options over ours
        QVERIFY(!w.Text2->hasFocus());
        w.Check2->click();
        QCOMPARE(w.Text2->text(), QStringLiteral("255,0,0"));
        QVERIFY(w.Text2->hasFocus());
        QCOMPARE(w.Text2->selectedText(), QStringLiteral("255,0,0"));
        w.Text2->hide();
        w.Picture1->setFocus();
        w.Check2->click();
        QVERIFY(!w.Text2->hasFocus());
    }
};

QTEST_MAIN(PresenterTest)
#include "tst_presenter.moc"
