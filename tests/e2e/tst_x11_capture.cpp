// Capturing on a live X server (run under with-xvfb.sh): what another program pastes.
#include "platform/x11/X11Screen.h"
#include "qt/PictureBox.h"
#include "qt/ToggleFrame.h"
#include "support/TestWindow.h"
#include "support/X11TestTools.h"

#include <QImage>
#include <QTest>
#include <memory>

using x11test::Clipboard;
using x11test::Run;

namespace {

// Every pixel of a 33x33 image in one colour.
bool SolidSwatch(const QByteArray &png, QRgb rgb) {
    const QImage image = QImage::fromData(png, "PNG");
    if (image.size() != QSize(33, 33))
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (rgb & 0xFFFFFF))
                return false;
    return true;
}

} // namespace

class X11CaptureTest : public QObject {
    Q_OBJECT
  private:
    std::unique_ptr<X11Screen> screen;
    std::unique_ptr<TestWindow> t;
    FenwoMainWindow *w = nullptr;

    // The window at a fixed place, sampling, away from where the pointer goes.
    void OpenWindow(int format) {
        t = std::make_unique<TestWindow>(*screen);
        w = &t->w;
        w->move(20, 20);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->Core().Combo1_Click(format);
        QCOMPARE(w->Core().UpperCase(), 1);
    }

    void SpaceCaptures(const char *colour) {
        QVERIFY(Run("xsetroot", {"-solid", colour}));
        QVERIFY(Run("xdotool", {"mousemove", "600", "450"}));
        QTest::qWait(120);
        const int before = w->Core().Swatches().Count();
        QVERIFY(Run("xdotool", {"key", "space"}));
        QTRY_COMPARE_WITH_TIMEOUT(w->Core().Swatches().Count(), before + 1, 3000);
        QCOMPARE(w->Check1->isChecked(), true);
    }

  private slots:
    void initTestCase() {
        screen = X11Screen::Open(qEnvironmentVariable("DISPLAY").toStdString());
        QVERIFY2(screen, "no X display");
    }

    void cleanup() {
        w = nullptr;
        t.reset();
    }

    void spaceWhileAnotherClientHasTheFocusFillsTheClipboard() {
        x11test::FocusedClient other;
        QVERIFY2(other.Start(), "no other client holding the focus");
        OpenWindow(0);
        SpaceCaptures("#1E69D2");
        QCOMPARE(Clipboard("UTF8_STRING"), QByteArray("#1E69D2"));
        QCOMPARE(Clipboard("text/plain"), QByteArray("#1E69D2"));
        const QByteArray targets = Clipboard("TARGETS");
        QVERIFY2(targets.contains("image/png") && targets.contains("image/bmp"), targets);
        QVERIFY(SolidSwatch(Clipboard("image/png"), qRgb(30, 105, 210)));
    }

    void clickingASwatchCopiesItsColour() {
        OpenWindow(2);
        SpaceCaptures("#FF0000");
        QVERIFY(Run("xdotool", {"key", "space"})); // sampling again
        QTRY_COMPARE_WITH_TIMEOUT(w->Check1->isChecked(), false, 3000);
        SpaceCaptures("#00FF00");
        QCOMPARE(Clipboard("UTF8_STRING"), QByteArray("0,255,0"));

        // Swatch 0 sits at the frame's left, the frame at (16, 80) of the window.
        const QPoint swatch = w->mapToGlobal(QPoint(16 + 8, 80 + 8));
        QVERIFY(Run("xdotool", {"mousemove", QString::number(swatch.x()),
                                QString::number(swatch.y()), "click", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(w->Picture1->BackColor(), 0x000000FF, 3000);
        QCOMPARE(Clipboard("UTF8_STRING"), QByteArray("255,0,0"));
        QVERIFY(SolidSwatch(Clipboard("image/png"), qRgb(255, 0, 0)));
        QCOMPARE(w->Check1->isChecked(), true);
    }

    void noFormatCopiesTheEmptyTextWithTheBitmap() {
        OpenWindow(-1);
        SpaceCaptures("#808080");
        QCOMPARE(Clipboard("UTF8_STRING"), QByteArray(""));
        QVERIFY(SolidSwatch(Clipboard("image/png"), qRgb(128, 128, 128)));
    }
};

QTEST_MAIN(X11CaptureTest)
#include "tst_x11_capture.moc"
