#pragma once

#include "core/colour/ColourValue.h"
#include "core/window/ScreenGeometry.h"

#include <cstdint>
#include <optional>

// What a platform backend reads off the desktop, in native screen pixels, whatever window has
// the focus. The part of the desktop that differs between X11, Wayland and Windows.
class ScreenReader {
  public:
    virtual ~ScreenReader() = default;

    // The whole screen, as the sampling reads it. Fetched once at start-up.
    virtual std::uintptr_t GetDesktopWindow() = 0;

    // Pointer position in native pixels; nullopt when it cannot be read.
    virtual std::optional<ScreenPoint> GetCursorPos() = 0;

    // Colour of one pixel of the desktop, or CLR_INVALID when it cannot be read.
    virtual ColourValue GetPixel(std::uintptr_t desktop, ScreenPoint at) = 0;

    // KeyDownNow while the key is down, KeyPressedSince when it went down since the previous
    // query. Only VK_SPACE is watched; other keys answer 0.
    virtual std::uint16_t GetAsyncKeyState(int virtualKey) = 0;
};

// A desktop that can read nothing: every read fails, no key is ever down.
class NullScreenReader final : public ScreenReader {
  public:
    std::uintptr_t GetDesktopWindow() override { return 0; }
    std::optional<ScreenPoint> GetCursorPos() override { return std::nullopt; }
    ColourValue GetPixel(std::uintptr_t, ScreenPoint) override { return CLR_INVALID; }
    std::uint16_t GetAsyncKeyState(int) override { return 0; }
};
