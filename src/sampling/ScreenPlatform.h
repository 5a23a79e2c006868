#pragma once

#include <QPoint>
#include <QtGlobal>

class QWidget;

inline constexpr int VK_SPACE = 0x20;

// Bits of a key state answer.
inline constexpr quint16 KeyDownNow = 0x8000;
inline constexpr quint16 KeyPressedSince = 0x0001;

// Everything the window needs from the desktop, in native screen pixels. Qt types only, so
// that nothing but the implementations sees the window system's headers.
class ScreenPlatform {
  public:
    virtual ~ScreenPlatform() = default;

    // The whole screen, as the sampling reads it. Fetched once at start-up.
    virtual quintptr GetDesktopWindow() = 0;

    // Pointer position in native pixels; (0, 0) when it cannot be read.
    virtual QPoint GetCursorPos() = 0;

    // Colour of one pixel of the desktop as 0x00BBGGRR, or 0xFFFFFFFF when it cannot be read.
    virtual quint32 GetPixel(quintptr desktop, QPoint at) = 0;

    // KeyDownNow while the key is down, KeyPressedSince when it went down since the previous
    // query, whatever window has the keyboard focus. Only VK_SPACE is watched.
    virtual quint16 GetAsyncKeyState(int virtualKey) = 0;

    // Keep the window above every ordinary window.
    virtual void SetWindowTopmost(QWidget &window) = 0;
};
