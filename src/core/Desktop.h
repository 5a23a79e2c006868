#pragma once

#include "core/ScreenReader.h"
#include "core/window/ScreenGeometry.h"

#include <string>
#include <vector>

// Everything the window's logic asks of the desktop: the screen reads of the platform backend,
// and what the front-end's toolkit offers around them.
class Desktop : public ScreenReader {
  public:
    // Replaces the whole clipboard at once: the code as text, and a picture of the preview
    // (its size, painted as the preview paints swatch) as a bitmap.
    virtual void CopyToClipboard(const std::string &text, ColourValue swatch) = 0;

    // The work areas of the screens, in window coordinates.
    virtual std::vector<ScreenRect> Screens() = 0;

    // The folder "Kalvor.ini" belongs in.
    virtual std::string SettingsFolder() = 0;

    // The user's decimal separator, for fractional numbers written to the settings file.
    virtual std::string DecimalSeparator() = 0;

    // Twips (1/1440 inch, the unit of the stored position) per pixel of the window's
    // coordinates: 15 where those pixels are 1/96 inch.
    virtual double TwipsPerPixel() { return 15.0; }

    // As ScreenReader's, but `done` runs on the window's thread, where the handlers run.
    void PickOnce(std::function<void(ColourValue)> done) override { done(CLR_INVALID); }

    // Tells the user something worth knowing once (standard error, a log).
    virtual void Say(const std::string &message) = 0;
};

// A desktop whose screen reads come from a platform backend, the rest from the front-end's
// toolkit.
class BackedDesktop : public Desktop {
  public:
    explicit BackedDesktop(ScreenReader &screen) : screen_(screen) {}

    std::uintptr_t GetDesktopWindow() override { return screen_.GetDesktopWindow(); }
    std::optional<ScreenPoint> GetCursorPos() override { return screen_.GetCursorPos(); }
    ColourValue GetPixel(std::uintptr_t desktop, ScreenPoint at) override {
        return screen_.GetPixel(desktop, at);
    }
    PixelSquare ReadSquare(std::uintptr_t desktop, ScreenPoint centre, int reach) override {
        return screen_.ReadSquare(desktop, centre, reach);
    }
    bool PixelsInSrgb() override { return screen_.PixelsInSrgb(); }
    std::uint16_t GetAsyncKeyState(int virtualKey) override {
        return screen_.GetAsyncKeyState(virtualKey);
    }
    ReaderState ReadState() override { return screen_.ReadState(); }
    void AskAgain() override { screen_.AskAgain(); }
    // PickOnce is not passed on here: the reader may answer on its own thread, and only the
    // front-end knows how to carry the answer to the window's.

  protected:
    ScreenReader &Screen() { return screen_; }

  private:
    ScreenReader &screen_;
};
