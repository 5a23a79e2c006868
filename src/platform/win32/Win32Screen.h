#pragma once

#include "core/ScreenReader.h"
#include "platform/win32/MonitorProfiles.h"

#include <cstdint>
#include <thread>

// The Windows screen under the window's logic: the pointer and the screen in physical pixels
// (the process is per-monitor DPI aware), Space through a low-level keyboard hook on a thread
// of its own. One at a time in a process: the hook has no context but a global.
class Win32Screen final : public ScreenReader {
  public:
    // Without watchSpace, no hook: Space is then only "down now", as for a one-off read.
    explicit Win32Screen(bool watchSpace = true);
    ~Win32Screen() override;
    Win32Screen(const Win32Screen &) = delete;
    Win32Screen &operator=(const Win32Screen &) = delete;

    bool HookInstalled() const { return hookInstalled_; }

    std::uintptr_t GetDesktopWindow() override;
    std::optional<ScreenPoint> GetCursorPos() override;
    ColourValue GetPixel(std::uintptr_t desktop, ScreenPoint at) override;
    // One blit of the square from the screen; pixels on no monitor are not read.
    PixelSquare ReadSquare(std::uintptr_t desktop, ScreenPoint centre, int reach) override;
    std::uint16_t GetAsyncKeyState(int virtualKey) override;

  private:
    std::thread hookThread_;
    unsigned long hookThreadId_ = 0;
    bool hookInstalled_ = false;
    MonitorProfiles profiles_;
};
