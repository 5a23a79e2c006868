#pragma once

#include "sampling/ScreenPlatform.h"

#include <QString>
#include <memory>

// Reads the pointer, the screen and the Space key on its own connection to the X server, so
// that draining key events never competes with Qt's event loop.
class X11ScreenPlatform final : public ScreenPlatform {
  public:
    // nullptr when the display cannot be opened. nullptr as name means $DISPLAY.
    static std::unique_ptr<X11ScreenPlatform> Open(const char *displayName = nullptr);

    // Why a connection to the display cannot be made, or an empty text when it can.
    static QString ConnectionProblem(const QString &displayName);
    ~X11ScreenPlatform() override;

    X11ScreenPlatform(const X11ScreenPlatform &) = delete;
    X11ScreenPlatform &operator=(const X11ScreenPlatform &) = delete;

    quintptr GetDesktopWindow() override;
    QPoint GetCursorPos() override;
    quint32 GetPixel(quintptr desktop, QPoint at) override;
    quint16 GetAsyncKeyState(int virtualKey) override;
    void SetWindowTopmost(QWidget &window) override;

    // False when the server offers no raw key events: then only a key still down at the poll
    // is seen.
    bool SeesEveryPress() const;

  private:
    struct Connection;
    explicit X11ScreenPlatform(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> x_;
};
