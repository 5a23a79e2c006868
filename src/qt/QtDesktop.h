#pragma once

#include "core/Desktop.h"

#include <QString>

// The desktop as the Qt front-end offers it: screen reads from the platform backend, the
// clipboard, screens and locale from Qt, the settings folder by the program's location.
class QtDesktop final : public BackedDesktop {
  public:
    QtDesktop(ScreenReader &screen, std::string programDir); // the system's bytes
    QtDesktop(ScreenReader &screen, const QString &programDir);

    void CopyToClipboard(const std::string &text, ColourValue swatch) override;
    std::vector<ScreenRect> Screens() override;
    std::string SettingsFolder() override;
    std::string DecimalSeparator() override;
    void Say(const std::string &message) override;

  private:
    std::string programDir_;
};
