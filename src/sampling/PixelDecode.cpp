#include "sampling/PixelDecode.h"

int ScaleChannel(quint32 pixel, quint32 mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    const quint64 max = mask >> shift;
    const quint64 value = (pixel & mask) >> shift;
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

ColourValue DecodePixel(quint32 pixel, const PixelMasks &masks) {
    const auto red = static_cast<quint32>(ScaleChannel(pixel, masks.red));
    const auto green = static_cast<quint32>(ScaleChannel(pixel, masks.green));
    const auto blue = static_cast<quint32>(ScaleChannel(pixel, masks.blue));
    return static_cast<ColourValue>(red | (green << 8) | (blue << 16));
}
