#pragma once

#include "core/ScreenReader.h"

#include <memory>
#include <string>

// Reads the pointer, the screen and the Space key on its own connection to the X server, so
// that draining key events never competes with the toolkit's event loop.
class X11Screen final : public ScreenReader {
  public:
    // nullptr when the display cannot be opened. The name is the one the window shows on.
    static std::unique_ptr<X11Screen> Open(const std::string &displayName);

    // Why a connection to the display cannot be made, or an empty text when it can.
    static std::string ConnectionProblem(const std::string &displayName);
    ~X11Screen() override;

    X11Screen(const X11Screen &) = delete;
    X11Screen &operator=(const X11Screen &) = delete;

    std::uintptr_t GetDesktopWindow() override;
    std::optional<ScreenPoint> GetCursorPos() override;
    ColourValue GetPixel(std::uintptr_t desktop, ScreenPoint at) override;
    PixelSquare ReadSquare(std::uintptr_t desktop, ScreenPoint centre, int reach) override;
    std::uint16_t GetAsyncKeyState(int virtualKey) override;

    // False when the server offers no raw key events: then only a key still down at the poll
    // is seen.
    bool SeesEveryPress() const;

  private:
    struct Connection;
    explicit X11Screen(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> x_;
};
