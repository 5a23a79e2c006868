#pragma once

#include "core/Desktop.h"
#include "core/sampling/KeyState.h"
#include "support/ScriptedKeys.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A desktop whose pointer, pixel and Space key the test scripts. Every read is counted, so a
// test can tell whether the screen was read; what goes to the clipboard or the user is kept.
class FakeDesktop final : public Desktop {
  public:
    std::uintptr_t desktop = 0x1234;
    std::optional<ScreenPoint> pointer = ScreenPoint{10, 20};
    ColourValue pixel = 0;
    std::function<ColourValue(ScreenPoint)> paint; // when set, each pixel's colour instead
    std::deque<std::uint16_t> keyAnswers; // answers of the next key queries; 0 once used up
    std::vector<ScreenRect> screens{{0, 0, 1920, 1080}};
    std::string settingsFolder = "config/kalvor";
    std::string decimalSeparator = ".";
    double twipsPerPixel = 15.0; // 96 DPI

    int desktopQueries = 0;
    int pointerReads = 0;
    int pixelReads = 0;
    int keyQueries = 0;
    std::vector<ScreenPoint> pixelsAt;
    std::vector<int> squareReaches; // of every square read, in order
    std::vector<std::uintptr_t> pixelDesktops;
    struct Clip {
        std::string text;
        ColourValue swatch;
    };
    std::vector<Clip> clipboard; // every copy, the last one is what the clipboard holds
    std::vector<std::string> said;
    ReaderState readState; // what ReadState answers
    int askAgains = 0;
    std::vector<std::function<void(ColourValue)>> picks; // open picks, answered by the test
    std::vector<std::string> *journal = nullptr; // shared with a FakeView to check call order
    int monitor = 0;                             // what each read says of where it came from
    ProfileBytes profile;                        // and of that monitor's colour profile
    bool srgbPixels = false;                     // what PixelsInSrgb answers

    void PressSpaceOnce() { keyAnswers.push_back(KeyPressedSince); }

    std::uintptr_t GetDesktopWindow() override {
        Note("GetDesktopWindow");
        ++desktopQueries;
        return desktop;
    }
    std::optional<ScreenPoint> GetCursorPos() override {
        ++pointerReads;
        return pointer;
    }
    ColourValue GetPixel(std::uintptr_t onDesktop, ScreenPoint at) override {
        ++pixelReads;
        pixelsAt.push_back(at);
        pixelDesktops.push_back(onDesktop);
        return paint ? paint(at) : pixel;
    }
    PixelSquare ReadSquare(std::uintptr_t onDesktop, ScreenPoint centre, int reach) override {
        squareReaches.push_back(reach);
        PixelSquare square = Desktop::ReadSquare(onDesktop, centre, reach);
        square.monitor = monitor;
        square.profile = profile;
        return square;
    }
    bool PixelsInSrgb() override { return srgbPixels; }
    std::uint16_t GetAsyncKeyState(int virtualKey) override {
        Note("GetAsyncKeyState");
        ++keyQueries;
        return NextKeyAnswer(keyAnswers, virtualKey);
    }
    ReaderState ReadState() override { return readState; }
    void AskAgain() override { ++askAgains; }
    void PickOnce(std::function<void(ColourValue)> done) override {
        picks.push_back(std::move(done));
    }
    void CopyToClipboard(const std::string &text, ColourValue swatch) override {
        clipboard.push_back({text, swatch});
    }
    std::vector<ScreenRect> Screens() override { return screens; }
    std::string SettingsFolder() override {
        Note("SettingsFolder");
        return settingsFolder;
    }
    std::string DecimalSeparator() override { return decimalSeparator; }
    double TwipsPerPixel() override { return twipsPerPixel; }
    void Say(const std::string &message) override { said.push_back(message); }

  private:
    void Note(const char *call) {
        if (journal)
            journal->push_back(call);
    }
};
