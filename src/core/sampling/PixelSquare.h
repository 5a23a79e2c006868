#pragma once

#include "core/colour/ColourValue.h"
#include "core/colour/ProfileConversion.h"
#include "core/window/ScreenGeometry.h"

#include <vector>

// An odd square of screen pixels around one, as one read gives it: the sampled pixel and what
// the loupe shows around it. A pixel that could not be read (beyond the screen's edge, between
// monitors) is CLR_INVALID.
struct PixelSquare {
    ScreenPoint centre;
    int reach = 0;                   // pixels on each side of the centre: the side is 2 * reach + 1
    std::vector<ColourValue> pixels; // row by row, top left first
    // The monitor the centre lies on, in the reader's order (X11: RandR's, Windows: the
    // system's), and that monitor's colour profile: null where it has none or the platform
    // hands over none. The pixels are the device's own values either way.
    int monitor = 0;
    ProfileBytes profile = nullptr;

    int Side() const { return 2 * reach + 1; }
    // The pixel dx, dy from the centre; CLR_INVALID outside the square.
    ColourValue At(int dx, int dy) const;
    ColourValue Centre() const { return At(0, 0); }
    bool operator==(const PixelSquare &) const = default;
};

// A square of every pixel unread: what reads give where nothing can be read.
PixelSquare UnreadSquare(ScreenPoint centre, int reach);

// `wide` with the pixels of `inner` in their places: a wider read around a square already
// shown keeps what was shown.
PixelSquare Widened(PixelSquare wide, const PixelSquare &inner);

// The rounded mean of each channel over the sample (side 1, 3 or 5) at the square's centre.
// Pixels beyond the screen count for nothing; an unread centre gives CLR_INVALID, as a
// one-pixel read would.
ColourValue AverageOf(const PixelSquare &square, int sampleSide);
