#pragma once

#include "core/colour/ColourValue.h"

#include <cstdint>

// Where red, green and blue sit in a pixel of a true-colour visual or frame.
struct PixelMasks {
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
};

// One channel as 0..255: the top 8 bits of a channel of 8 bits or more, a narrower channel
// scaled up and rounded, so that full intensity is 255 at any depth.
int ScaleChannel(std::uint32_t pixel, std::uint32_t mask);

ColourValue DecodePixel(std::uint32_t pixel, const PixelMasks &masks);
