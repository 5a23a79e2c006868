#pragma once

#include "core/Desktop.h"

#include <QString>

// The desktop as the Qt front-end offers it: screen reads from the platform backend, the
// clipboard, screens and locale from Qt, the settings folder by the program's location.
class QtDesktop final : public Desktop {
  public:
    QtDesktop(ScreenReader &screen, std::string programDir); // the system's bytes
    QtDesktop(ScreenReader &screen, const QString &programDir);

    std::uintptr_t GetDesktopWindow() override { return screen_.GetDesktopWindow(); }
    std::optional<ScreenPoint> GetCursorPos() override { return screen_.GetCursorPos(); }
    ColourValue GetPixel(std::uintptr_t desktop, ScreenPoint at) override {
        return screen_.GetPixel(desktop, at);
    }
    std::uint16_t GetAsyncKeyState(int virtualKey) override {
        return screen_.GetAsyncKeyState(virtualKey);
    }

    void CopyToClipboard(const std::string &text, ColourValue swatch) override;
    std::vector<ScreenRect> Screens() override;
    std::string SettingsFolder() override;
    std::string DecimalSeparator() override;
    void Say(const std::string &message) override;

  private:
    ScreenReader &screen_;
    std::string programDir_;
};
