#pragma once

#include "core/Desktop.h"
#include "win32/SwatchImage.h"

#include <cstdint>
#include <functional>
#include <string>

// The desktop as the Windows front-end offers it: screen reads from the backend, the
// clipboard, the monitors and where the settings file goes from the system.
class Win32Desktop final : public BackedDesktop {
  public:
    using BackedDesktop::BackedDesktop;

    // The window that owns what goes on the clipboard (an HWND).
    void SetClipboardOwner(std::uintptr_t window) { owner_ = window; }
    // Where Say also shows its message to the user, while the window is there.
    void ShowNoticesWith(std::function<void(const std::string &)> notice) {
        notice_ = std::move(notice);
    }

    void CopyToClipboard(const std::string &text, ColourValue swatch) override;
    std::vector<ScreenRect> Screens() override;
    std::string SettingsFolder() override;
    std::string DecimalSeparator() override;
    double TwipsPerPixel() override;
    void Say(const std::string &message) override;

  private:
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
