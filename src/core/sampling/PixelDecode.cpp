#include "core/sampling/PixelDecode.h"

PixelDecoder::Channel::Channel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0)
        return; // no such channel: every pixel holds none of it
    while (((mask >> shift_) & 1u) == 0)
        ++shift_;
    max_ = mask >> shift_;
    // A wide channel holds the 8-bit colour in its top bits, whether the server shifted it in
    // or replicated it: take them as they are. A narrow one is scaled up, so that its full
    // intensity is 255.
    narrow_ = max_ < 255;
    while (!narrow_ && (max_ >> drop_) > 255)
        ++drop_;
}

int ScaleChannel(std::uint32_t pixel, std::uint32_t mask) {
    return PixelDecoder::Channel(mask).Scale(pixel);
}

ColourValue DecodePixel(std::uint32_t pixel, const PixelMasks &masks) {
    return PixelDecoder(masks).Decode(pixel);
}
