// The Space key's state between two polls: down now, and pressed since the last poll.
#include "sampling/KeyStateLatch.h"
#include "sampling/ScreenPlatform.h"

#include <QTest>

class KeyStateTest : public QObject {
    Q_OBJECT
  private slots:
    void quietKeyAnswersZero() {
        KeyStateLatch key;
        QCOMPARE(key.Query(), quint16(0));
    }

    void tapBetweenPollsIsReportedOnce() {
        KeyStateLatch key;
        key.Press();
        key.Release();
        QCOMPARE(key.Query(), KeyPressedSince);
        QCOMPARE(key.Query(), quint16(0));
    }

    void keyHeldDownIsReportedAtEveryPoll() {
        KeyStateLatch key;
        key.Press();
        QCOMPARE(key.Query(), quint16(KeyDownNow | KeyPressedSince));
        QCOMPARE(key.Query(), KeyDownNow);
        QCOMPARE(key.Query(), KeyDownNow);
        key.Release();
        QCOMPARE(key.Query(), quint16(0));
    }

    void severalTapsBetweenPollsCountAsOne() {
        KeyStateLatch key;
        for (int i = 0; i < 3; ++i) {
            key.Press();
            key.Release();
        }
        QCOMPARE(key.Query(), KeyPressedSince);
        QCOMPARE(key.Query(), quint16(0));
    }

    void keyDownAtStartIsDownButNotPressed() {
        KeyStateLatch key;
        key.SetDown(true);
        QCOMPARE(key.Query(), KeyDownNow);
        key.Release();
        key.Press();
        QCOMPARE(key.Query(), quint16(KeyDownNow | KeyPressedSince));
    }
};

QTEST_GUILESS_MAIN(KeyStateTest)
#include "tst_key_state.moc"
