#include "core/sampling/PixelDecode.h"

int ScaleChannel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    const std::uint64_t max = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    if (max >= 255) {
        // A wide channel holds the 8-bit colour in its top bits, whether the server shifted
        // it in or replicated it: take them as they are.
        int bits = 0;
        while ((max >> bits) > 255)
            ++bits;
        return static_cast<int>(value >> bits);
    }
    // A narrow one is scaled up, so that its full intensity is 255.
    return static_cast<int>((value * 255 + max / 2) / max);
}

ColourValue DecodePixel(std::uint32_t pixel, const PixelMasks &masks) {
    return RGB(ScaleChannel(pixel, masks.red), ScaleChannel(pixel, masks.green),
               ScaleChannel(pixel, masks.blue));
}
