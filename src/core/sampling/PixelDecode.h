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

// DecodePixel with the masks looked at once, for the many pixels of one read.
class PixelDecoder {
  public:
    explicit PixelDecoder(const PixelMasks &masks)
        : red_(masks.red), green_(masks.green), blue_(masks.blue) {}
    ColourValue Decode(std::uint32_t pixel) const {
        return RGB(red_.Scale(pixel), green_.Scale(pixel), blue_.Scale(pixel));
    }

    class Channel {
      public:
        explicit Channel(std::uint32_t mask);
        int Scale(std::uint32_t pixel) const {
            const std::uint64_t value = (pixel & mask_) >> shift_;
            return static_cast<int>(narrow_ ? (value * 255 + max_ / 2) / max_ : value >> drop_);
        }

      private:
        std::uint32_t mask_;
        int shift_ = 0;         // the channel's lowest bit
        std::uint64_t max_ = 0; // full intensity, once shifted down
        bool narrow_ = false;   // under 8 bits: scaled up
        int drop_ = 0;          // 8 bits or more: the low bits left out
    };

  private:
    Channel red_;
    Channel green_;
    Channel blue_;
};
