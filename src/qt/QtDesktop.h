#pragma once

#include "core/Desktop.h"

#include <QObject>
#include <QString>
#include <functional>

// The desktop as the Qt front-end offers it: screen reads from the platform backend, the
// clipboard, screens and locale from Qt, the settings folder as the program finds it.
class QtDesktop final : public BackedDesktop {
  public:
    // settingsFolder is asked each time the settings are read or written (the system's bytes).
    QtDesktop(ScreenReader &screen, std::function<std::string()> settingsFolder);

    void PickOnce(std::function<void(ColourValue)> done) override;
    void CopyToClipboard(const std::string &text, ColourValue swatch) override;
    std::vector<ScreenRect> Screens() override;
    std::string SettingsFolder() override;
    std::string DecimalSeparator() override;
    void Say(const std::string &message) override;

  private:
    std::function<std::string()> settingsFolder_;
    QObject thread_; // lives on the window's thread, and takes what comes from others there
};
