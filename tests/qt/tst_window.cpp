// The Qt front-end: its widgets draw what the core says and hand every event to it.
#include "linux/SettingsLocation.h"
#include "qt/DropDownList.h"
#include "qt/FenwoMainWindow.h"
#include "qt/HistoryStrip.h"
#include "qt/OptionBox.h"
#include "qt/PictureBox.h"
#include "qt/TextBox.h"
#include "qt/ToggleFrame.h"
#include "support/FakeScreen.h"
#include "support/TestWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <memory>
#include <thread>

namespace {

// A variable set for one scope, restored however the scope ends.
class ScopedVariable {
  public:
    ScopedVariable(const char *name, const QByteArray &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedVariable() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

  private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

QRgb StripPixel(FenwoMainWindow &w, int x, int y) {
    return w.Picture4->grab().toImage().pixel(x, y);
}

// True when the clipboard holds a 33x33 picture in one colour, rgb.
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

QString ClipboardText() {
    const QMimeData *content = QGuiApplication::clipboard()->mimeData();
    return content ? content->text() : QStringLiteral("<empty clipboard>");
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
  private:
    FakeScreen screen;
    std::unique_ptr<TestWindow> t;

    // A shown, active window whose timer the test drives by hand.
    FenwoMainWindow &Shown() {
        t = std::make_unique<TestWindow>(screen);
        t->w.show();
        [&] { QVERIFY(QTest::qWaitForWindowActive(&t->w)); }();
        t->w.Timer1->stop();
        return t->w;
    }

    void Capture(ColourValue colour) {
        screen.pixel = colour;
        screen.PressSpaceOnce();
        t->w.Core().Timer1_Timer();
        screen.PressSpaceOnce();
        t->w.Core().Timer1_Timer();
    }

  private slots:
    void init() {
        screen = FakeScreen();
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { t.reset(); }

    void startUpLaysOutTheWindow() {
        FenwoMainWindow &w = Shown();
        QCOMPARE(w.size(), QSize(274, 140));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.Timer1->timerType(), Qt::PreciseTimer);
        // The preview lies in front of the frame; the scroll bar covers the strip's bottom row.
        QCOMPARE(w.childAt(QPoint(40, 24)), static_cast<QWidget *>(w.Picture1));
        QCOMPARE(w.childAt(QPoint(22, 6)), static_cast<QWidget *>(w.Check1));
        QCOMPARE(w.Picture2->childAt(QPoint(8, 16)), static_cast<QWidget *>(w.HScroll1));
        // First run: upper case, HTML, the starting colour rendered before the first tick.
        QCOMPARE(w.Check2->Value(), 1);
        QCOMPARE(w.Combo1->currentIndex(), 0);
        QCOMPARE(w.Text2->text(), QStringLiteral("#0F0000"));
        for (QWidget *control : std::initializer_list<QWidget *>{w.Combo1, w.Label2, w.Label3[0],
                                                                 w.Label3[1], w.Label3[2]}) {
            QCOMPARE(control->font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
            QVERIFY(control->font().families().contains(QStringLiteral("IPAPGothic")));
        }
        QVERIFY(w.Text2->font().families().contains(QStringLiteral("IPAPGothic")));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.Picture1));
        const QList<QWidget *> tabOrder{w.Text1[0], w.Text1[1], w.Text1[2], w.Text2,
                                        w.Combo1,   w.Check2,   w.Picture1};
        for (QWidget *next : tabOrder) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void clicksOnThePreviewAndItsFrameSwitchTheHold() {
        FenwoMainWindow &w = Shown();
        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        QVERIFY(w.Core().Held() && w.Check1->isChecked());
        QCOMPARE(w.Timer1->interval(), 200);
        QTest::mouseClick(w.Check1, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!w.Core().Held() && !w.Check1->isChecked());
        QCOMPARE(w.Timer1->interval(), 50);
        // A press that leaves the preview before release is no click.
        QTest::mousePress(w.Picture1, Qt::LeftButton);
        QTest::mouseRelease(w.Picture1, Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(!w.Core().Held());
        QCOMPARE(w.Core().Swatches().Count(), 0);
        // Space typed into the window is the hold's, not the list's: it does not open.
        QCOMPARE(w.Check1->focusPolicy(), Qt::NoFocus);
        w.Combo1->setFocus();
        QTest::keyClick(w.Combo1, Qt::Key_Space);
        QVERIFY(!w.Combo1->view()->isVisible());
        QVERIFY(!w.Core().Held());
    }

    void aPickAnsweredOnAnotherThreadIsTakenOnTheWindowsAndTheTipSaysWhy() {
        FenwoMainWindow &w = Shown();
        screen.readState = {ReaderState::PickOnly, "click to pick"};
        w.Core().ReaderStateChanged();
        QCOMPARE(w.Picture1->toolTip(), QStringLiteral("click to pick"));
        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        QVERIFY(screen.pick && !w.Core().Held());
        std::thread([&] { screen.pick(0x00D2691E); }).join();
        QVERIFY(!w.Core().Held()); // not yet: it waits for the window's thread
        QTRY_VERIFY(w.Core().Held());
        QCOMPARE(ClipboardText(), QStringLiteral("#1E69D2"));
        screen.readState = {};
        w.Core().ReaderStateChanged();
        QVERIFY(w.Picture1->toolTip().startsWith(PreviewTip())); // and, after a tick, a line more
    }

    void theTipSaysWhatTheNumbersAreWhileTheScreenCanBeRead() {
        FenwoMainWindow &w = Shown();
        w.Core().Timer1_Timer();
        const QString reading =
            PreviewTip() + QStringLiteral("\nデバイス値 (ディスプレイのプロファイルなし)");
        QCOMPARE(w.Picture1->toolTip(), reading);
        screen.readState = {ReaderState::Refused, "refused"};
        w.Core().ReaderStateChanged();
        QCOMPARE(w.Picture1->toolTip(), QStringLiteral("refused"));
        screen.readState = {};
        w.Core().ReaderStateChanged();
        QCOMPARE(w.Picture1->toolTip(), reading);
    }

    void optionsFollowTheCoreAndMoveTheFocusToTheCode() {
        screen.pixel = 0x00D2691E;
        FenwoMainWindow &w = Shown();
        w.Core().Timer1_Timer();
        QTest::mouseClick(w.Check2, Qt::LeftButton);
        QCOMPARE(w.Core().UpperCase(), 0);
        QCOMPARE(w.Check2->Value(), 0);
        QVERIFY(w.Text2->hasFocus());
        QCOMPARE(w.Text2->selectedText(), QStringLiteral("#1e69d2"));
        w.Combo1->setFocus();
        w.Combo1->activated(2); // as the list reports a choice
        QCOMPARE(w.Core().ListIndex(), 2);
        QCOMPARE(w.Text2->text(), QStringLiteral("30,105,210"));
        w.Text2->hide();
        QTest::mouseClick(w.Check2, Qt::LeftButton);
        QVERIFY(!w.Text2->hasFocus());
        QCOMPARE(w.Check2->Value(), 1);
    }

    void textBoxesSelectOnEntryAndTypingIsWhatIsCopied() {
        screen.pixel = 0x00D2691E;
        FenwoMainWindow &w = Shown();
        w.Core().Timer1_Timer();
        QTest::mouseClick(w.Text1[1], Qt::LeftButton, {}, QPoint(3, 9));
        QCOMPARE(w.Text1[1]->selectedText(), QStringLiteral("105"));
        QTest::mouseClick(w.Text1[1], Qt::LeftButton, {}, QPoint(3, 9));
        QVERIFY(!w.Text1[1]->hasSelectedText()); // once focused, a click places the cursor
        QTest::keyClick(w.Text1[1], Qt::Key_Tab);
        QCOMPARE(w.Text1[2]->selectedText(), QStringLiteral("210"));

        QTest::mouseClick(w.Picture1, Qt::LeftButton); // held: the texts stand still
        QTest::mouseClick(w.Text2, Qt::LeftButton);
        QTest::keyClick(w.Text2, Qt::Key_End);
        QTest::keyClick(w.Text2, Qt::Key_Space);
        QTest::sendKeyEvent(QTest::Click, w.Text2, Qt::Key_unknown, QStringLiteral("ü"), {});
        w.Core().CopyColor();
        QCOMPARE(ClipboardText(), QStringLiteral("#1E69D2 ü"));
        QTest::mouseClick(w.Picture1, Qt::LeftButton);
        w.Core().Timer1_Timer(); // sampling again rewrites what was typed
        QCOMPARE(w.Text2->text(), QStringLiteral("#1E69D2"));
    }

    void captureDrawsTheStripAndCopiesTextWithPicture() {
        FenwoMainWindow &w = Shown();
        Capture(0x00D2691E);
        QCOMPARE(ClipboardText(), QStringLiteral("#1E69D2"));
        QVERIFY(ClipboardImageIs(qRgb(30, 105, 210)));
        // Drawn inside a sunken border: colour in the middle, not at the edge.
        QCOMPARE(StripPixel(w, 8, 8), qRgb(30, 105, 210));
        QVERIFY(StripPixel(w, 0, 0) != qRgb(30, 105, 210));
        Capture(0x0000FF00);
        QCOMPARE(StripPixel(w, 17 + 8, 8), qRgb(0, 255, 0));
        QCOMPARE(StripPixel(w, 34 + 8, 8), w.palette().color(QPalette::Window).rgb());

        // A click on a swatch recalls and copies it; a press released on another is no click.
        QTest::mouseClick(w.Picture4, Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(w.Picture1->BackColor(), 0x00D2691E);
        QVERIFY(ClipboardImageIs(qRgb(30, 105, 210)));
        QTest::mousePress(w.Picture4, Qt::LeftButton, {}, QPoint(17 + 8, 8));
        QTest::mouseRelease(w.Picture4, Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(w.Picture1->BackColor(), 0x00D2691E);
    }

    void theScrollBarSlidesTheStrip() {
        FenwoMainWindow &w = Shown();
        for (int i = 0; i < 14; ++i)
            Capture(0x10 * i);
        QVERIFY(!w.HScroll1->isEnabled());
        for (int i = 14; i < 20; ++i)
            Capture(0x10 * i);
        QVERIFY(w.HScroll1->isEnabled());
        QCOMPARE(w.HScroll1->maximum(), 6);
        QCOMPARE(w.HScroll1->value(), 0);
        w.HScroll1->setValue(3);
        QCOMPARE(w.Core().Strip().StripLeft(), 2 - 51);
        w.HScroll1->setSliderDown(true);
        w.HScroll1->setValue(4);
        QCOMPARE(w.Core().Strip().StripLeft(), -48);
        w.HScroll1->setSliderDown(false); // the drag ends where it is
        QCOMPARE(w.Core().Strip().StripLeft(), 2 - 68);
        QTest::mouseClick(w.Picture4, Qt::LeftButton, {}, QPoint(2 + 8, 8));
        QCOMPARE(w.Picture1->BackColor(), 0x40);
        QCOMPARE(StripPixel(w, 2 + 8, 8), qRgb(0x40, 0, 0));
    }

    void aSwatchTipGivesTheContrastWithTheHeldColour() {
        FenwoMainWindow &w = Shown();
        Capture(0xFFFFFF);
        const auto tipAt = [&w](QPoint at) {
            QHelpEvent help(QEvent::ToolTip, at, w.Picture4->mapToGlobal(at));
            QApplication::sendEvent(w.Picture4, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(tipAt(QPoint(8, 8)), QStringLiteral("#FFFFFF"));
        screen.pixel = 0x767676;
        screen.PressSpaceOnce();
        w.Core().Timer1_Timer(); // held
        QVERIFY(tipAt(QPoint(8, 8))
                    .startsWith(QStringLiteral(
                        "#FFFFFF\n#767676 の文字と: 4.54:1  AA 合格  AAA 不合格\nAPCA Lc ")));
        QVERIFY(w.testAttribute(Qt::WA_AlwaysShowToolTips));
    }

    void aFailedReadShowsAHatchEverywhere() {
        screen.pointer.reset();
        FenwoMainWindow &w = Shown();
        w.Core().Timer1_Timer();
        QCOMPARE(screen.pixelReads, 0);
        QCOMPARE(w.Picture1->BackColor(), CLR_INVALID);
        for (TextBox *box : w.Text1)
            QCOMPARE(box->text(), QString());
        w.Core().CopyColor();
        const QImage image = QGuiApplication::clipboard()->image();
        QSet<QRgb> colours;
        int white = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                colours.insert(image.pixel(x, y));
                white += image.pixel(x, y) == qRgb(255, 255, 255);
            }
        QVERIFY2(colours.size() > 1, "a failed read must not look like one solid colour");
        QVERIFY(white < image.width() * image.height() / 2);
    }

    void theSettingsFolder() {
        QTemporaryDir dir;
        // Beside a writable program; an installed copy never writes beside itself.
        QCOMPARE(SettingsFolder(dir.path()), QDir(dir.path()).absolutePath());
        QVERIFY(QDir().mkpath(dir.filePath("bin")));
        QVERIFY(QDir().mkpath(dir.filePath("share/applications")));
        QFile entry(dir.filePath("share/applications/org.kalvor.Kalvor.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.close();
        {
            const ScopedVariable config("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("c")));
            QCOMPARE(SettingsFolder(dir.filePath("bin")), dir.filePath("c/kalvor"));
        }
        {
            const ScopedVariable relative("XDG_CONFIG_HOME", "relative/path");
            QCOMPARE(SettingsFolder(dir.filePath("bin")),
                     QDir::homePath() + QStringLiteral("/.config/kalvor"));
        }
        QCOMPARE(SettingsFolder("/nonexistent-dir-for-kalvor").endsWith("/kalvor"), true);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
