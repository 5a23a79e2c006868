#pragma once

#include "core/ScreenReader.h"

#include <string>
#include <string_view>

// The colour under the pointer now, read once, as `kalvor --print` takes it on every platform:
// the mean of the sample (side 1, 3 or 5) around it.
struct PointerColour {
    ColourValue colour = CLR_INVALID;
    std::string problem; // why there is no colour; empty when there is one
    std::string warning; // a colour profile that could not be used: the colour is the device's

    bool Read() const { return problem.empty(); }
};

// noPointer is what this platform says when the pointer's position cannot be read (the pointer
// on another screen, a locked desktop). In sRGB the mean goes through the profile of the
// monitor it was read on, with the platform's engine (none: device values stay).
PointerColour ColourUnderPointer(ScreenReader &screen, int sampleSide = 1,
                                 std::string_view noPointer = "the pointer's position cannot "
                                                              "be read",
                                 ColourSpace space = ColourSpace::Device,
                                 ProfileEngine *engine = nullptr);
