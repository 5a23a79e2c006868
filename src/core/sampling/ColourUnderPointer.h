#pragma once

#include "core/ScreenReader.h"

#include <string>
#include <string_view>

// The colour under the pointer now, read once, as `kalvor --print` takes it on every platform:
// the mean of the sample (side 1, 3 or 5) around it.
struct PointerColour {
    ColourValue colour = CLR_INVALID;
    std::string problem; // why there is no colour; empty when there is one

    bool Read() const { return problem.empty(); }
};

// noPointer is what this platform says when the pointer's position cannot be read (the pointer
// on another screen, a locked desktop).
PointerColour ColourUnderPointer(ScreenReader &screen, int sampleSide = 1,
                                 std::string_view noPointer = "the pointer's position cannot "
                                                              "be read");
