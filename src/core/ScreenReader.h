#pragma once

#include "core/colour/ColourValue.h"
#include "core/sampling/PixelSquare.h"
#include "core/window/ScreenGeometry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What a reader can do now, and why not. Only a desktop that asks the user before it may be
// read (Wayland's portal) is ever anything but Reading.
struct ReaderState {
    enum Kind {
        Reading,         // reads give colours
        AwaitingConsent, // connecting, or the desktop's dialog is up: nothing to do but wait
        Refused,         // the user said no, or stopped the sharing: AskAgain may change it
        Unavailable,     // something the reads need is missing or broke: AskAgain tries again
        PickOnly,        // the pointer cannot be followed: PickOnce gives one colour
    };
    Kind kind = Reading;
    std::string reason; // one line for the user: what is happening, and what a click does
    // Refused or Unavailable: false where asking again cannot help (the desktop streams, but
    // sends nothing to read), and a click on the preview holds as while reading.
    bool askAgainHelps = true;
};

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

    // The square of 2 * reach + 1 pixels a side centred on `centre`, row by row; a pixel that
    // cannot be read is CLR_INVALID. Backends read it at once; this one asks pixel by pixel.
    virtual PixelSquare ReadSquare(std::uintptr_t desktop, ScreenPoint centre, int reach) {
        PixelSquare square{centre, reach, {}};
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
                square.pixels.push_back(GetPixel(desktop, {centre.x + dx, centre.y + dy}));
        return square;
    }

    // True where the desktop hands over pixels already in sRGB (a compositor that composes in
    // sRGB): no monitor's profile applies, and the device value is the sRGB one.
    virtual bool PixelsInSrgb() { return false; }

    // KeyDownNow while the key is down, KeyPressedSince when it went down since the previous
    // query. Only VK_SPACE is watched; other keys answer 0.
    virtual std::uint16_t GetAsyncKeyState(int virtualKey) = 0;

    // What the reads can do now. A reader whose state changes tells its front-end through a
    // handler of its own; the front-end then calls FenwoMain::ReaderStateChanged.
    virtual ReaderState ReadState() { return {}; }
    // After a refusal or a loss: ask the desktop again. Does nothing where there is no one
    // to ask.
    virtual void AskAgain() {}
    // One colour chosen by the user through the desktop's own picker; `done` gets CLR_INVALID
    // when cancelled or where there is none. `done` may run on any thread.
    virtual void PickOnce(std::function<void(ColourValue)> done) { done(CLR_INVALID); }
};

// A desktop that can read nothing: every read fails, no key is ever down.
class NullScreenReader final : public ScreenReader {
  public:
    std::uintptr_t GetDesktopWindow() override { return 0; }
    std::optional<ScreenPoint> GetCursorPos() override { return std::nullopt; }
    ColourValue GetPixel(std::uintptr_t, ScreenPoint) override { return CLR_INVALID; }
    PixelSquare ReadSquare(std::uintptr_t, ScreenPoint centre, int reach) override {
        return UnreadSquare(centre, reach);
    }
    std::uint16_t GetAsyncKeyState(int) override { return 0; }
};
