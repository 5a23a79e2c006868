// Capturing with Space: the history strip and the clipboard, against a scripted desktop.
#include "app/DropDownList.h"
#include "app/FenwoMain.h"
#include "app/OptionBox.h"
#include "app/PictureBox.h"
#include "app/TextBox.h"
#include "app/ToggleFrame.h"
#include "history/HistoryStrip.h"
#include "support/FakeScreenPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

void ShowStill(FenwoMain &w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Timer1->stop();
}

// Space while sampling, then Space again to sample once more: one capture of colour.
void Capture(FenwoMain &w, FakeScreenPlatform &screen, quint32 colour) {
    screen.pixel = colour;
    screen.PressSpaceOnce();
    w.Timer1_Timer();
    QCOMPARE(w.Check1->Value(), 1);
    screen.PressSpaceOnce();
    w.Timer1_Timer();
    QCOMPARE(w.Check1->Value(), 0);
}

QString ClipboardText() {
    const QMimeData *content = QGuiApplication::clipboard()->mimeData();
    return content ? content->text() : QStringLiteral("<empty clipboard>");
}

bool ClipboardHasImage() {
    const QMimeData *content = QGuiApplication::clipboard()->mimeData();
    return content && content->hasImage();
}

// True when the clipboard image is 33x33 and every pixel is rgb.
bool ClipboardImageIs(QRgb rgb) {
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.size() != QSize(33, 33))
        return false;
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 33; ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (rgb & 0xFFFFFF))
                return false;
    return true;
}

QRgb StripPixel(FenwoMain &w, int x, int y) {
    return w.Picture4->grab().toImage().pixel(x, y);
}

} // namespace

class CaptureFlowTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void firstCaptureShowsSwatchZeroAndCopies() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        w.Combo1->setListIndex(0);
        w.Check2->setValue(1);
        screen.pixel = 0x00D2691E;
        screen.PressSpaceOnce();
        w.Timer1_Timer();
        QCOMPARE(w.HistoryCount, 1);
        QCOMPARE(w.Picture4->BackColor(0), 0x00D2691E);
        QCOMPARE(w.Picture4->Width(), 185);
        QVERIFY(!w.HScroll1->isEnabled());
        QCOMPARE(ClipboardText(), QStringLiteral("#1E69D2"));
        QVERIFY(ClipboardImageIs(qRgb(30, 105, 210)));
        // Drawn inside a sunken border: colour in the middle, not at the edge.
        QCOMPARE(StripPixel(w, 8, 8), qRgb(30, 105, 210));
        QVERIFY(StripPixel(w, 0, 0) != qRgb(30, 105, 210));
        QCOMPARE(StripPixel(w, 2, 2), qRgb(30, 105, 210));
        QVERIFY(StripPixel(w, 15, 15) != qRgb(30, 105, 210));
    }

    void secondCaptureStandsBesideTheFirst() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        Capture(w, screen, 0x000000FF);
        Capture(w, screen, 0x0000FF00);
        QCOMPARE(w.HistoryCount, 2);
        QCOMPARE(w.Picture4->Width(), 34);
        QCOMPARE(StripPixel(w, 8, 8), qRgb(255, 0, 0));
        QCOMPARE(StripPixel(w, 17 + 8, 8), qRgb(0, 255, 0));
        QCOMPARE(StripPixel(w, 34 + 8, 8), w.palette().color(QPalette::Window).rgb());
    }

    void fifteenthCaptureEnablesScrollingWithoutScrolling() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        for (int i = 1; i <= 14; ++i)
            Capture(w, screen, static_cast<quint32>(i));
        QVERIFY(!w.HScroll1->isEnabled());
        Capture(w, screen, 15);
        QVERIFY(w.HScroll1->isEnabled());
        QCOMPARE(w.HScroll1->maximum(), 1);
        QCOMPARE(w.Picture4->Width(), 255);
        Capture(w, screen, 16);
        QCOMPARE(w.HScroll1->maximum(), 2);
        QCOMPARE(w.HScroll1->value(), 0);
        QCOMPARE(w.Picture4->Left(), 0);
        // The 15th swatch shows its first 3 pixels at the frame's right edge.
        QCOMPARE(StripPixel(w, 240, 8), qRgb(15, 0, 0));
    }

    void scrollingSlidesTheStrip() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        for (int i = 0; i < 20; ++i)
            Capture(w, screen, static_cast<quint32>(0x10 * i));
        w.HScroll1->setValue(3);
        QCOMPARE(w.Picture4->Left(), 2 - 51);
        w.HScroll1->setValue(0);
        QCOMPARE(w.Picture4->Left(), 2);
        w.HScroll1->setSliderDown(true);
        w.HScroll1->setValue(4);
        QCOMPARE(w.Picture4->Left(), -48);
        w.HScroll1->setSliderDown(false); // the drag ends where it is
        QCOMPARE(w.Picture4->Left(), 2 - 68);
        // At value 4 the frame's first whole swatch is number 4.
        QTest::mouseClick(w.Picture4, Qt::LeftButton, {}, QPoint(2 + 8, 8));
        QCOMPARE(w.Picture1->BackColor(), 0x40);
    }

    void holdSwitchedOnByClickCapturesNothing() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        w.Timer1_Timer();
        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        QCOMPARE(w.Check1->Value(), 1);
        QCOMPARE(w.HistoryCount, 0);
        QVERIFY(!ClipboardHasImage());
        // Space then ends the hold without capturing; only the press after that captures.
        screen.PressSpaceOnce();
        w.Timer1_Timer();
        QCOMPARE(w.HistoryCount, 0);
        screen.pixel = 0x00ABCDEF;
        screen.PressSpaceOnce();
        w.Timer1_Timer();
        QCOMPARE(w.HistoryCount, 1);
        QCOMPARE(w.Picture4->BackColor(0), 0x00ABCDEF);
    }

    void clickingASwatchRecallsAndCopiesIt() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        w.Combo1->setListIndex(2);
        QTest::mouseClick(w.Picture4, Qt::LeftButton, {}, QPoint(8, 8)); // nothing there yet
        QVERIFY(!ClipboardHasImage());
        Capture(w, screen, 0x000000FF);
        Capture(w, screen, 0x00FF0000);

        // While held: colour and clipboard change, the hold stays.
        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        QTest::mouseClick(w.Picture4, Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(w.Picture1->BackColor(), 0x000000FF);
        QCOMPARE(w.Text2->text(), QStringLiteral("255,0,0"));
        QCOMPARE(ClipboardText(), QStringLiteral("255,0,0"));
        QVERIFY(ClipboardImageIs(qRgb(255, 0, 0)));
        QCOMPARE(w.Check1->Value(), 1);
        QCOMPARE(w.HistoryCount, 2);

        // While sampling: the same, and the hold stays off.
        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        QTest::mouseClick(w.Picture4, Qt::LeftButton, {}, QPoint(17 + 8, 8));
        QCOMPARE(ClipboardText(), QStringLiteral("0,0,255"));
        QCOMPARE(w.Check1->Value(), 0);

        // A press on one swatch released on another is no click.
        QTest::mousePress(w.Picture4, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseRelease(w.Picture4, Qt::LeftButton, {}, QPoint(17 + 8, 8));
        QCOMPARE(ClipboardText(), QStringLiteral("0,0,255"));
        // The scroll bar covers the strip's bottom row.
        QCOMPARE(w.Picture2->childAt(QPoint(8, 16)), static_cast<QWidget *>(w.HScroll1));
    }

    void copyReplacesTheWholeClipboard() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        w.Combo1->setListIndex(0);
        w.Check2->setValue(0);
        w.ShowColor(0x000000FF);
        w.CopyColor();
        w.ShowColor(0x0000FF00);
        w.CopyColor();
        const QMimeData *content = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(content->text(), QStringLiteral("#00ff00"));
        QVERIFY(ClipboardImageIs(qRgb(0, 255, 0)));

        w.Combo1->setListIndex(-1); // no format: the empty text, with the bitmap
        w.CopyColor();
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasText());
        QCOMPARE(ClipboardText(), QString());
        QVERIFY(ClipboardImageIs(qRgb(0, 255, 0)));

        w.Text2->setText(QStringLiteral("typed ü")); // copied as it stands
        w.CopyColor();
        QCOMPARE(ClipboardText(), QStringLiteral("typed ü"));
    }

    void aLongHistoryStaysExactAtItsFarEnd() {
        FakeScreenPlatform screen;
        FenwoMain w(screen);
        ShowStill(w);
        const int count = 70000;
        for (int i = 0; i < count; ++i) {
            w.Picture1->setBackColor(i);
            w.AppendSwatch();
        }
        QCOMPARE(w.HistoryCount, count);
        QCOMPARE(w.Picture4->Width(), 17LL * count);
        QCOMPARE(w.HScroll1->maximum(), count - 14);
        w.HScroll1->setValue(w.HScroll1->maximum());
        QCOMPARE(w.Picture4->Left(), 2 - 17LL * (count - 14));
        QTest::mouseClick(w.Picture4, Qt::LeftButton, {}, QPoint(2 + 13 * 17 + 8, 8));
        QCOMPARE(w.Picture1->BackColor(), count - 1);
        QTest::mouseClick(w.Picture4, Qt::LeftButton, {}, QPoint(2 + 8, 8));
        QCOMPARE(w.Picture1->BackColor(), count - 14);
        const QColor last = QColor(w.Picture4->grab().toImage().pixel(2 + 13 * 17 + 8, 8));
        QCOMPARE(last, QColor((count - 1) & 0xFF, ((count - 1) >> 8) & 0xFF, (count - 1) >> 16));
    }
};

QTEST_MAIN(CaptureFlowTest)
#include "tst_capture_flow.moc"
