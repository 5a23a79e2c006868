#pragma once

#include "core/Desktop.h"
#include "core/WindowView.h"

#include <optional>
#include <string>
#include <vector>

// A window and a desktop that take every call and do nothing with it, so that a bench times the
// core alone. No screens, no settings folder; a bench that needs them overrides those.
struct SilentWindow : WindowView, Desktop {
    void ShowPreview(ColourValue) override {}
    void ShowTexts(const ColourTexts &) override {}
    void ShowHold(bool) override {}
    void ShowUpperCase(int) override {}
    void ShowFormat(int) override {}
    void ShowPreviewTip(const std::string &) override {}
    void ShowHistory(const History &, const StripScroll &) override {}
    void ShowLoupePanel(bool) override {}
    void ShowLoupe(const LoupePicture &) override {}
    void SelectWholeText(TextField) override {}
    bool FocusCode() override { return false; }
    void SetTimerInterval(int) override {}
    void SetWindowTopmost() override {}
    void MoveWindow(int, int) override {}
    void UseJapaneseFont() override {}
    std::uintptr_t GetDesktopWindow() override { return 0; }
    std::optional<ScreenPoint> GetCursorPos() override { return ScreenPoint{}; }
    ColourValue GetPixel(std::uintptr_t, ScreenPoint) override { return 0; }
    std::uint16_t GetAsyncKeyState(int) override { return 0; }
    void CopyToClipboard(const std::string &, ColourValue) override {}
    std::vector<ScreenRect> Screens() override { return {}; }
    std::string SettingsFolder() override { return {}; }
    std::string DecimalSeparator() override { return "."; }
    void Say(const std::string &) override {}
};
