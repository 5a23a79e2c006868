#pragma once

#include "core/Desktop.h"
#include "win32/SwatchImage.h"

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

// The Windows desktop under the window's logic: the pointer and the screen in physical pixels
// (the process is per-monitor DPI aware), Space through a low-level keyboard hook on a thread
// of its own, the clipboard, the monitors and where the settings file goes.
class Win32Desktop final : public Desktop {
  public:
    Win32Desktop();
    ~Win32Desktop() override;
    Win32Desktop(const Win32Desktop &) = delete;
    Win32Desktop &operator=(const Win32Desktop &) = delete;

    // The window that owns what goes on the clipboard (an HWND).
    void SetClipboardOwner(std::uintptr_t window) { owner_ = window; }
    bool HookInstalled() const { return hookInstalled_; }
    // Where Say also shows its message to the user, while the window is there.
    void ShowNoticesWith(std::function<void(const std::string &)> notice) {
        notice_ = std::move(notice);
    }

    std::uintptr_t GetDesktopWindow() override;
    std::optional<ScreenPoint> GetCursorPos() override;
    ColourValue GetPixel(std::uintptr_t desktop, ScreenPoint at) override;
    std::uint16_t GetAsyncKeyState(int virtualKey) override;

    void CopyToClipboard(const std::string &text, ColourValue swatch) override;
    std::vector<ScreenRect> Screens() override;
    std::string SettingsFolder() override;
    std::string DecimalSeparator() override;
    double TwipsPerPixel() override;
    void Say(const std::string &message) override;

  private:
    std::thread hookThread_;
    unsigned long hookThreadId_ = 0;
    bool hookInstalled_ = false;
    std::uintptr_t owner_ = 0;
    std::function<void(const std::string &)> notice_;
    std::string settingsFolder_;
};

// The desktop's own colours for a swatch that shows no colour of its own.
SwatchColours SystemSwatchColours();

// What the clipboard holds, read back as another program would paste it.
struct ClipboardContents {
    bool opened = false;
    std::string unicodeText; // CF_UNICODETEXT, as UTF-8
    std::string ansiText;    // CF_TEXT
    int dibWidth = 0;        // CF_DIB
    int dibHeight = 0;
    int dibBits = 0;
    std::uint32_t dibCentre = 0; // 0x00RRGGBB of the middle pixel
    int formats = 0;
};
ClipboardContents ReadClipboard();
