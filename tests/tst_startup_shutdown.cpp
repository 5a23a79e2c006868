// Start-up restores the settings file, closing writes it, against a scripted desktop.
#include "app/DropDownList.h"
#include "app/FenwoMain.h"
#include "app/OptionBox.h"
#include "app/PictureBox.h"
#include "app/TextBox.h"
#include "app/ToggleFrame.h"
#include "support/FakeScreenPlatform.h"
#include "support/Files.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using files::Contents;
using files::Put;

class StartupShutdownTest : public QObject {
    Q_OBJECT
  private:
    std::unique_ptr<QTemporaryDir> dir;
    FakeScreenPlatform screen;

    QString Ini() const { return dir->filePath("Kalvor.ini"); }

    // A window that starts from this test's directory, started and still.
    std::unique_ptr<FenwoMain> Start() {
        auto w = std::make_unique<FenwoMain>(screen);
        w->AppPath = dir->path();
        w->show();
        w->Timer1->stop();
        return w;
    }

    std::unique_ptr<FenwoMain> StartWith(const QByteArray &output) {
        [&] { QVERIFY(Put(Ini(), "[Output]\r\n" + output)); }();
        return Start();
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        screen = FakeScreenPlatform();
    }

    void firstRunWithoutAFile() {
        auto w = Start();
        QCOMPARE(w->Check2->Value(), 1);
        QCOMPARE(w->Combo1->ListIndex(), 0);
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // The starting colour, rendered before the first tick.
        QCOMPARE(w->Text2->text(), QStringLiteral("#0F0000"));
        QCOMPARE(w->Text1[0]->text(), QStringLiteral("15"));
        QVERIFY(!QFile::exists(Ini()));
        const QPoint at = w->pos();
        w->close();
        QCOMPARE(Contents(Ini()), "[Position]\r\nLeft=" + QByteArray::number(at.x() * 15) +
                                      "\r\nTop=" + QByteArray::number(at.y() * 15) +
                                      "\r\n[Output]\r\nUpperCase=1\r\nType=0\r\n");
    }

    void optionsComeBack_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("upperCase");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QByteArray>("writtenBack");
        QTest::newRow("lower case") << QByteArray("UpperCase=0\r\nType=0\r\n") << 0 << 0
                                    << "#0f0000" << QByteArray("UpperCase=0\r\nType=0\r\n");
        QTest::newRow("greyed stays upper") << QByteArray("UpperCase=2\r\nType=1\r\n") << 2 << 1
                                            << "0F0000" << QByteArray("UpperCase=2\r\nType=1\r\n");
        QTest::newRow("1.5 rounds to 2") << QByteArray("UpperCase=1.5\r\nType=2\r\n") << 2 << 2
                                         << "15,0,0" << QByteArray("UpperCase=2\r\nType=2\r\n");
        QTest::newRow("0.5 rounds to 0") << QByteArray("UpperCase=0.5\r\n") << 0 << 0 << "#0f0000"
                                         << QByteArray("UpperCase=0\r\nType=0\r\n");
        QTest::newRow("unknown case value") << QByteArray("UpperCase=7\r\nType=0\r\n") << 0 << 0
                                            << "#0f0000" << QByteArray("UpperCase=0\r\nType=0\r\n");
        QTest::newRow("case not a number") << QByteArray("UpperCase=yes\r\nType=0\r\n") << 0 << 0
                                           << "#0f0000" << QByteArray("UpperCase=0\r\nType=0\r\n");
        QTest::newRow("type 3 selects nothing")
            << QByteArray("UpperCase=1\r\nType=3\r\n") << 1 << -1 << ""
            << QByteArray("UpperCase=1\r\nType=-1\r\n");
        QTest::newRow("type -1 selects nothing") << QByteArray("Type=-1\r\n") << 1 << -1 << ""
                                                 << QByteArray("Type=-1\r\nUpperCase=1\r\n");
        QTest::newRow("type out of 16 bits") << QByteArray("Type=40000\r\n") << 1 << -1 << ""
                                             << QByteArray("Type=-1\r\nUpperCase=1\r\n");
    }

    void optionsComeBack() {
        QFETCH(QByteArray, stored);
        QFETCH(int, upperCase);
        QFETCH(int, type);
        QFETCH(QString, code);
        QFETCH(QByteArray, writtenBack);
        auto w = StartWith(stored);
        QCOMPARE(w->Check2->Value(), upperCase);
        QCOMPARE(w->Combo1->ListIndex(), type);
        QCOMPARE(w->Text2->text(), code);
        w->showMinimized(); // keeps the position out of the file
        w->close();
        QCOMPARE(Contents(Ini()), "[Output]\r\n" + writtenBack);
    }

    void positionComesBack() {
        const QRect screenArea = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint want = screenArea.topLeft() + QPoint(40, 60);
        QVERIFY(Put(Ini(), "[Position]\nLeft=" + QByteArray::number(want.x() * 15) +
                               "\nTop= " + QByteArray::number(want.y() * 15) + " \n"));
        auto w = Start();
        QCOMPARE(w->pos(), want);
        w->move(want + QPoint(7, 3));
        w->close();
        QCOMPARE(Contents(Ini()), "[Position]\nLeft=" + QByteArray::number((want.x() + 7) * 15) +
                                      "\nTop=" + QByteArray::number((want.y() + 3) * 15) +
                                      "\n[Output]\nUpperCase=1\nType=0\n");
    }

    void aPositionThatIsNotANumberMovesNothing() {
        auto reference = Start();
        const QPoint created = reference->pos();
        reference.reset();
        QVERIFY(Put(Ini(), "[Position]\nLeft=900\nTop=abc\n"));
        QCOMPARE(Start()->pos(), created);
        QVERIFY(Put(Ini(), "[Position]\nLeft=\nTop=900\n"));
        QCOMPARE(Start()->pos(), created);
        QVERIFY(Put(Ini(), "[Position]\nLeft=1e30\nTop=900\n"));
        QCOMPARE(Start()->pos(), created);
    }

    void aLostPositionOpensOnTheNearestScreen() {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(Put(Ini(), "[Position]\nLeft=" + QByteArray::number((area.right() + 5000) * 15) +
                               "\nTop=" + QByteArray::number((area.top() + 30) * 15) + "\n"));
        auto w = Start();
        QVERIFY2(area.contains(w->frameGeometry()), qPrintable(QString("%1,%2 in %3x%4")
                                                                   .arg(w->x())
                                                                   .arg(w->y())
                                                                   .arg(area.width())
                                                                   .arg(area.height())));
        QCOMPARE(w->y(), area.top() + 30);
    }

    void closingWhileMinimisedKeepsThePositionSavedBefore() {
        QVERIFY(Put(Ini(), "[Position]\r\nLeft=600\r\nTop=450\r\n[Output]\r\nUpperCase=1\r\n"
                           "Type=0\r\n"));
        auto w = Start();
        w->Combo1->setListIndex(2);
        w->move(w->pos() + QPoint(100, 100));
        w->showMinimized();
        QCOMPARE(w->WindowState(), 1);
        w->close();
        QCOMPARE(Contents(Ini()),
                 QByteArray("[Position]\r\nLeft=600\r\nTop=450\r\n[Output]\r\nUpperCase=1\r\n"
                            "Type=2\r\n"));
    }

    void labelsAndListGetAJapaneseFont() {
        auto w = Start();
        for (QWidget *control : std::initializer_list<QWidget *>{w->Combo1, w->Label2, w->Label3[0],
                                                                 w->Label3[1], w->Label3[2]}) {
            QCOMPARE(control->font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
            QVERIFY(control->font().families().contains(QStringLiteral("IPAPGothic")));
            QCOMPARE(control->font().pointSizeF(), w->font().pointSizeF());
        }
        // The other controls keep the window's default face, with the same Japanese fallback.
        for (QWidget *control : std::initializer_list<QWidget *>{w->Check2, w->Text2}) {
            QVERIFY(control->font().families().value(0) != QStringLiteral("ＭＳ Ｐゴシック"));
            QVERIFY(control->font().families().contains(QStringLiteral("IPAPGothic")));
        }
    }

    void spaceStillDownAtStartCountsAtTheFirstTick() {
        screen.keyAnswers = {KeyDownNow, KeyDownNow}; // start-up's read, then the first tick
        auto w = Start();
        w->Timer1_Timer();
        QCOMPARE(w->Check1->Value(), 1);
        QCOMPARE(w->HistoryCount, 1);
    }
};

QTEST_MAIN(StartupShutdownTest)
#include "tst_startup_shutdown.moc"
