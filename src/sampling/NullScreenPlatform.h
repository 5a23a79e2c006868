#pragma once

#include "sampling/ScreenPlatform.h"

// Stands in where the display is not X11: the window works, but no pixel can be read.
class NullScreenPlatform final : public ScreenPlatform {
  public:
    quintptr GetDesktopWindow() override { return 0; }
    QPoint GetCursorPos() override;
    quint32 GetPixel(quintptr desktop, QPoint at) override;
    quint16 GetAsyncKeyState(int virtualKey) override;
    void SetWindowTopmost(QWidget &window) override;
};
