#pragma once

#include "core/sampling/PixelSquare.h"

#include <cstdint>
#include <string>
#include <vector>

// The loupe's square, in window pixels at 96 DPI.
inline constexpr int LoupeViewSize = 120;

// The side of a block at a zoom in a picture `side` device pixels wide: the zoom scaled by the
// monitor's, rounded down so that every block is the same whole number of pixels.
int LoupeBlock(int zoom, int side);

// Screen pixels shown on each side of the centre at a zoom: as many whole blocks as fit, an
// odd number of them so that the centre has a block of its own in the middle.
int LoupeReach(int zoom);

// What the loupe panel shows: the picture, drawn the same on every front-end, and its texts.
struct LoupePicture {
    int side = LoupeViewSize; // in the monitor's pixels: LoupeViewSize at 96 DPI
    // side rows of side pixels, 0xAARRGGBB; alpha 0 where the window's face
    // shows through (around the blocks, and between the hatch's lines on a pixel not read).
    std::vector<std::uint32_t> pixels;
    std::string position; // the centre in native screen pixels, "x, y"; empty when unknown
    std::string scale;    // the zoom and the sample, "8 倍  3×3 平均"

    bool operator==(const LoupePicture &) const = default;
};

// Each pixel of the square as a block of zoom x zoom, a grid between blocks from zoom 6 up, the
// sample (side 1, 3 or 5) outlined in a colour that stands out from the centre's, and every
// pixel not read hatched, never drawn as black. side: the picture's, in the monitor's pixels.
LoupePicture DrawLoupe(const PixelSquare &square, int zoom, int sample, int side = LoupeViewSize);
