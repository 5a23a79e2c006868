#pragma once

#include "core/colour/ColourValue.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// A monitor's colour profile as its platform hands it over: the raw ICC bytes. A reader hands
// the same object until the profile changes, so that keeping it costs no copy; null where the
// monitor has none.
using ProfileBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// What the window's numbers are: "[Colour] Space" in the settings file.
enum class ColourSpace {
    Device = 0, // the frame buffer's own value, as read
    Srgb = 1,   // converted from the monitor's profile to sRGB
};

// One colour engine's transform from one profile to sRGB.
class ProfileTransform {
  public:
    virtual ~ProfileTransform() = default;
    // device is a plain colour (no system colour, not CLR_INVALID).
    virtual ColourValue ToSrgb(ColourValue device) = 0;
};

// A platform's colour engine. Relative colorimetric: sRGB's white is the display's white.
class ProfileEngine {
  public:
    virtual ~ProfileEngine() = default;
    // Null, with why in `problem`, when the bytes are no profile this engine can use.
    virtual std::unique_ptr<ProfileTransform> TransformToSrgb(std::span<const std::uint8_t> profile,
                                                              std::string &problem) = 0;
};

// What a colour became, and what to say about it.
struct ConvertedColour {
    ColourValue colour = CLR_INVALID; // sRGB, or the device value where nothing converts it
    std::string source;               // one line for the preview's tooltip: what the numbers are
    std::string problem;              // a profile that cannot be used; empty when none
};

// Turns device values into sRGB through the profile of the monitor they came from. A transform
// is made once per monitor's profile and kept until that profile changes.
class ProfileConversion {
  public:
    // Without an engine every colour stays the device value.
    explicit ProfileConversion(ProfileEngine *engine) : engine_(engine) {}

    // monitor: the reader's index of the monitor the colour came from; srgbAlready: the
    // platform hands pixels already in sRGB, so no profile applies.
    ConvertedColour Convert(ColourValue device, ColourSpace space, int monitor,
                            const ProfileBytes &profile, bool srgbAlready = false);

  private:
    struct Kept {
        ProfileBytes profile;
        std::unique_ptr<ProfileTransform> transform;
        std::string description;
        std::string problem;
    };
    Kept &KeptFor(int monitor, const ProfileBytes &profile);

    ProfileEngine *engine_;
    std::vector<Kept> kept_; // by monitor
};

// The profile's own name for itself (its "desc" tag, v2 text or v4 multi-language, UTF-8);
// empty when it has none that can be read.
std::string ProfileDescription(std::span<const std::uint8_t> profile);
