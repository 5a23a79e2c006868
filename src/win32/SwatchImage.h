#pragma once

#include "core/colour/ColourValue.h"

#include <cstdint>
#include <functional>
#include <vector>

// How a colour value looks in a picture box, pixel by pixel, so that the preview on screen and
// the bitmap on the clipboard are one picture. Pixels are 0x00RRGGBB, rows top down.
struct SwatchColours {
    std::uint32_t face; // behind a colour that cannot be shown
    std::uint32_t ink;  // its hatch
    // A system colour reference's colour, by index.
    std::function<std::uint32_t(int index)> systemColour;
};

// RGB of a COLORREF-style value, as a pixel.
constexpr std::uint32_t PixelOf(ColourValue colour) {
    const ColourComponents c = SplitColour(colour);
    return (static_cast<std::uint32_t>(c.red) << 16) | (static_cast<std::uint32_t>(c.green) << 8) |
           static_cast<std::uint32_t>(c.blue);
}

// A true colour fills the box; a system colour shows as that colour; anything else (a failed
// read) is a hatch, so it never passes for a colour.
std::vector<std::uint32_t> SwatchPixels(ColourValue colour, int width, int height,
                                        const SwatchColours &colours);

// A packed device-independent bitmap (BITMAPINFOHEADER, then 24-bit rows bottom up, each padded
// to 4 bytes), as the clipboard's CF_DIB format carries it.
std::vector<unsigned char> PackedDib(const std::vector<std::uint32_t> &pixels, int width,
                                     int height);
