#pragma once

#include "core/colour/ColourValue.h"
#include "core/sampling/PixelDecode.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// The 32-bit pixel layouts a screen-cast frame may come in, named as the video formats name
// them: 8-bit channels by byte order in memory, 10-bit ones by a little-endian 32-bit word
// from its top bit down.
enum class FrameFormat {
    BGRx,
    BGRA,
    RGBx,
    RGBA,
    xRGB,
    ARGB,
    xBGR,
    ABGR,
    xRGB_210LE,
    ARGB_210LE,
    xBGR_210LE,
    ABGR_210LE,
    RGBx_102LE,
    RGBA_102LE,
    BGRx_102LE,
    BGRA_102LE,
};

// Where the channels sit in the little-endian 32-bit word of one pixel.
PixelMasks MasksOf(FrameFormat format);

// One frame as it lies in memory.
struct FrameView {
    const std::uint8_t *pixels = nullptr;
    std::size_t bytes = 0; // readable from pixels on
    int width = 0;
    int height = 0;
    int stride = 0;
    FrameFormat format = FrameFormat::BGRx;
};

// The colour at (x, y), or CLR_INVALID outside the frame or past its readable bytes.
ColourValue ReadFramePixel(const FrameView &frame, int x, int y);
