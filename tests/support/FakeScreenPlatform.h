#pragma once

#include "sampling/ScreenPlatform.h"

#include <QList>
#include <QWidget>
#include <deque>

// A desktop whose pointer, pixels and Space key the test scripts. Every call is counted, so a
// test can tell whether the screen was read.
class FakeScreenPlatform final : public ScreenPlatform {
  public:
    quintptr desktop = 0x1234;
    QPoint pointer{10, 20};
    quint32 pixel = 0x00000000;
    // Answers of the next key queries, in order; 0 once they run out.
    std::deque<quint16> keyAnswers;

    int desktopQueries = 0;
    int pointerReads = 0;
    int pixelReads = 0;
    int keyQueries = 0;
    int topmostRequests = 0;
    QList<QPoint> pixelsAt;
    QList<quintptr> pixelDesktops;

    void PressSpaceOnce() { keyAnswers.push_back(KeyPressedSince); }

    quintptr GetDesktopWindow() override {
        ++desktopQueries;
        return desktop;
    }
    QPoint GetCursorPos() override {
        ++pointerReads;
        return pointer;
    }
    quint32 GetPixel(quintptr onDesktop, QPoint at) override {
        ++pixelReads;
        pixelsAt.append(at);
        pixelDesktops.append(onDesktop);
        return pixel;
    }
    quint16 GetAsyncKeyState(int virtualKey) override {
        ++keyQueries;
        if (virtualKey != VK_SPACE || keyAnswers.empty())
            return 0;
        const quint16 answer = keyAnswers.front();
        keyAnswers.pop_front();
        return answer;
    }
    void SetWindowTopmost(QWidget &window) override {
        ++topmostRequests;
        window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
};
