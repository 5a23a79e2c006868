#include "platform/wayland/FrameFormat.h"

#include <cstring>

PixelMasks MasksOf(FrameFormat format) {
    switch (format) {
    case FrameFormat::BGRx:
    case FrameFormat::BGRA:
        return {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    case FrameFormat::RGBx:
    case FrameFormat::RGBA:
        return {0x000000FFu, 0x0000FF00u, 0x00FF0000u};
    case FrameFormat::xRGB:
    case FrameFormat::ARGB:
        return {0x0000FF00u, 0x00FF0000u, 0xFF000000u};
    case FrameFormat::xBGR:
    case FrameFormat::ABGR:
        return {0xFF000000u, 0x00FF0000u, 0x0000FF00u};
    case FrameFormat::xRGB_210LE:
    case FrameFormat::ARGB_210LE:
        return {0x3FF00000u, 0x000FFC00u, 0x000003FFu};
    case FrameFormat::xBGR_210LE:
    case FrameFormat::ABGR_210LE:
        return {0x000003FFu, 0x000FFC00u, 0x3FF00000u};
    case FrameFormat::RGBx_102LE:
    case FrameFormat::RGBA_102LE:
        return {0xFFC00000u, 0x003FF000u, 0x00000FFCu};
    case FrameFormat::BGRx_102LE:
    case FrameFormat::BGRA_102LE:
        return {0x00000FFCu, 0x003FF000u, 0xFFC00000u};
    }
    return {0, 0, 0};
}

ColourValue ReadFramePixel(const FrameView &frame, int x, int y) {
    if (frame.pixels == nullptr || x < 0 || y < 0 || x >= frame.width || y >= frame.height ||
        frame.stride < 4)
        return CLR_INVALID;
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.stride) +
                           static_cast<std::size_t>(x) * 4;
    if (at + 4 > frame.bytes)
        return CLR_INVALID;
    const std::uint8_t *p = frame.pixels + at;
    // The word is little-endian whatever the host: assemble it byte by byte.
    const std::uint32_t word =
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return DecodePixel(word, MasksOf(frame.format));
}
