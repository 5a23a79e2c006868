// The sampling tick, the hold and their triggers, against a scripted desktop.
#include "app/DropDownList.h"
#include "app/FenwoMain.h"
#include "app/OptionBox.h"
#include "app/PictureBox.h"
#include "app/TextBox.h"
#include "app/ToggleFrame.h"
#include "support/FakeScreenPlatform.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <QTimer>

namespace {

struct Held {
    int check1;
    int interval;
};

Held HoldOf(const FenwoMain &w) {
    return {w.Check1->Value(), w.Timer1->interval()};
}

// A shown, active window whose timer the test drives by hand.
void ShowStill(FenwoMain &w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Timer1->stop();
}

} // namespace

class SamplingFlowTest : public QObject {
    Q_OBJECT
  private slots:
    void startUpPreparesTheFirstTick() {
        FakeScreenPlatform screen;
        screen.PressSpaceOnce(); // pressed before start-up: must not count
        FenwoMain w(screen);
        QCOMPARE(screen.desktopQueries, 0);
        ShowStill(w);
        QCOMPARE(screen.desktopQueries, 1);
        QCOMPARE(screen.topmostRequests, 1);
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.DesktopWnd, screen.desktop);
        QCOMPARE(w.Check1->Value(), 0);
        QCOMPARE(w.Timer1->interval(), 50);
        QCOMPARE(w.Timer1->timerType(), Qt::PreciseTimer);
        w.Timer1_Timer();
        QCOMPARE(w.Check1->Value(), 0);
    }

    void theTimerDrivesSampling() {
        FakeScreenPlatform screen;
        screen.pixel = 0x00D2691E;
        FenwoMain w(screen);
        w.Combo1->setListIndex(0);
        w.Check2->setValue(1);
        w.show();
        QTRY_VERIFY(screen.pixelReads >= 2);
        QCOMPARE(w.Text2->text(), QStringLiteral("#1E69D2"));
    }

    void tickWhileSamplingShowsThePixelUnderThePointer() {
        FakeScreenPlatform screen;
        screen.pointer = QPoint(639, 479);
        screen.pixel = 0x00D2691E;
        FenwoMain w(screen);
        ShowStill(w);
        w.Combo1->setListIndex(0);
        w.Check2->setValue(1);
        const int reads = screen.pixelReads;
        w.Timer1_Timer();
        QCOMPARE(screen.pixelReads, reads + 1);
        QCOMPARE(screen.pixelsAt.last(), QPoint(639, 479));
        QCOMPARE(screen.pixelDesktops.last(), screen.desktop);
        QCOMPARE(w.Picture1->BackColor(), 0x00D2691E);
        QCOMPARE(w.Text1[2]->text(), QStringLiteral("210"));
        QCOMPARE(w.Text2->text(), QStringLiteral("#1E69D2"));
    }

    void spaceWhileSamplingHoldsTheColourOfThatTick() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        screen.pixel = 0x000000FF;
        screen.PressSpaceOnce();
        w.Timer1_Timer();
        QCOMPARE(w.Picture1->BackColor(), 0x000000FF);
        QCOMPARE(HoldOf(w).check1, 1);
        QCOMPARE(HoldOf(w).interval, 200);

        // Held: the screen is not read, the colour stays.
        screen.pixel = 0x0000FF00;
        const int reads = screen.pixelReads;
        w.Timer1_Timer();
        w.Timer1_Timer();
        QCOMPARE(screen.pixelReads, reads);
        QCOMPARE(w.Picture1->BackColor(), 0x000000FF);

        // Space again: back to sampling, and the next tick reads.
        screen.PressSpaceOnce();
        w.Timer1_Timer();
        QCOMPARE(screen.pixelReads, reads);
        QCOMPARE(HoldOf(w).check1, 0);
        QCOMPARE(HoldOf(w).interval, 50);
        w.Timer1_Timer();
        QCOMPARE(screen.pixelReads, reads + 1);
        QCOMPARE(w.Picture1->BackColor(), 0x0000FF00);
    }

    void spaceKeptDownFlipsAtEveryTick() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        const int reads = screen.pixelReads;
        for (int tick = 1; tick <= 6; ++tick) {
            screen.keyAnswers.push_back(KeyDownNow);
            w.Timer1_Timer();
            QCOMPARE(HoldOf(w).check1, tick % 2);
            QCOMPARE(HoldOf(w).interval, tick % 2 ? 200 : 50);
        }
        QCOMPARE(screen.pixelReads, reads + 3); // only the ticks that started sampling read
    }

    void optionsWhileHeldRerenderWithoutReading() {
        FakeScreenPlatform screen;
        screen.pixel = 0x00D2691E;
        FenwoMain w(screen);
        ShowStill(w);
        w.Combo1->setListIndex(0);
        w.Check2->setValue(1);
        screen.PressSpaceOnce();
        w.Timer1_Timer();
        screen.pixel = 0;
        const int reads = screen.pixelReads;
        w.Combo1->setListIndex(2);
        QCOMPARE(w.Text2->text(), QStringLiteral("30,105,210"));
        w.Combo1->setListIndex(1);
        w.Check2->click();
        QCOMPARE(w.Text2->text(), QStringLiteral("1e69d2"));
        QCOMPARE(screen.pixelReads, reads);
        QCOMPARE(HoldOf(w).check1, 1);
    }

    void clicksOnThePreviewAndItsFrameToggleTheHold() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        // The preview lies in front of the frame; the frame shows around it.
        QCOMPARE(w.childAt(QPoint(40, 24)), static_cast<QWidget *>(w.Picture1));
        QCOMPARE(w.childAt(QPoint(22, 6)), static_cast<QWidget *>(w.Check1));
        const int reads = screen.pixelReads;

        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        QCOMPARE(HoldOf(w).check1, 1);
        QCOMPARE(HoldOf(w).interval, 200);
        QVERIFY(w.Check1->isChecked()); // the frame looks pressed
        QTest::mouseClick(w.Check1, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(HoldOf(w).check1, 0);
        QCOMPARE(HoldOf(w).interval, 50);
        QTest::mouseClick(w.Check1, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(HoldOf(w).interval, 200);
        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        QCOMPARE(HoldOf(w).check1, 0);
        QCOMPARE(HoldOf(w).interval, 50);
        QCOMPARE(screen.pixelReads, reads);

        // A press that leaves the preview before release is no click.
        QTest::mousePress(w.Picture1, Qt::LeftButton);
        QTest::mouseRelease(w.Picture1, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(HoldOf(w).check1, 0);
    }

    void holdSwitchedOnByClickThenSpaceSwitchesItOff() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        screen.PressSpaceOnce();
        w.Timer1_Timer();
        QCOMPARE(HoldOf(w).check1, 0);
        QCOMPARE(HoldOf(w).interval, 50);
    }

    void spaceTypedIntoTheWindowActsOnlyOnce() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        QCOMPARE(w.Check1->focusPolicy(), Qt::NoFocus);
        w.Combo1->setFocus();
        QTest::keyClick(w.Combo1, Qt::Key_Space);
        QVERIFY(!w.Combo1->view()->isVisible());
        QCOMPARE(HoldOf(w).check1, 0);
    }

    void enteringATextBoxSelectsItsWholeText() {
        FakeScreenPlatform screen;
        screen.pixel = 0x00D2691E;
        FenwoMain w(screen);
        ShowStill(w);
        w.Combo1->setListIndex(0);
        w.Check2->setValue(1);
        w.Timer1_Timer();
        QTest::mouseClick(w.Picture1, Qt::LeftButton); // held

        QTest::mouseClick(w.Text1[1], Qt::LeftButton, {}, QPoint(3, 9));
        QVERIFY(w.Text1[1]->hasFocus());
        QCOMPARE(w.Text1[1]->selectedText(), QStringLiteral("105"));
        // Once focused, a click places the cursor as usual.
        QTest::mouseClick(w.Text1[1], Qt::LeftButton, {}, QPoint(3, 9));
        QVERIFY(!w.Text1[1]->hasSelectedText());

        QTest::keyClick(w.Text1[1], Qt::Key_Tab);
        QVERIFY(w.Text1[2]->hasFocus());
        QCOMPARE(w.Text1[2]->selectedText(), QStringLiteral("210"));
        QTest::keyClick(w.Text1[2], Qt::Key_Tab);
        QCOMPARE(w.Text2->selectedText(), QStringLiteral("#1E69D2"));

        // An empty box selects nothing.
        w.Text1[0]->clear();
        QTest::mouseClick(w.Text1[0], Qt::LeftButton);
        QVERIFY(w.Text1[0]->hasFocus());
        QVERIFY(!w.Text1[0]->hasSelectedText());
    }

    void samplingRewritesWhatWasTypedAndTheSelection() {
        FakeScreenPlatform screen;
        screen.pixel = 0x00808080;
        FenwoMain w(screen);
        ShowStill(w);
        w.Combo1->setListIndex(2);
        w.Timer1_Timer();
        QTest::mouseClick(w.Text2, Qt::LeftButton);
        QCOMPARE(w.Text2->selectedText(), QStringLiteral("128,128,128"));
        w.Timer1_Timer();
        QVERIFY(!w.Text2->hasSelectedText());
        QTest::keyClicks(w.Text2, "xyz");
        QCOMPARE(w.Text2->text(), QStringLiteral("128,128,128xyz"));
        w.Timer1_Timer();
        QCOMPARE(w.Text2->text(), QStringLiteral("128,128,128"));
    }

    void tabOrderStartsAtThePreview() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.Picture1));
        const QList<QWidget *> expected{w.Text1[0], w.Text1[1], w.Text1[2], w.Text2,
                                        w.Combo1,   w.Check2,   w.Picture1};
        for (QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }
};

QTEST_MAIN(SamplingFlowTest)
#include "tst_sampling_flow.moc"
