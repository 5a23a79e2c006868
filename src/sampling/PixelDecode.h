#pragma once

#include "colour/ColourValue.h"

#include <QtGlobal>

// Where red, green and blue sit in a pixel of a true-colour visual.
struct PixelMasks {
    quint32 red;
    quint32 green;
    quint32 blue;
};

// One channel as 0..255: the top 8 bits of a channel of 8 bits or more, a narrower channel
// scaled up and rounded, so that full intensity is 255 at any depth.
int ScaleChannel(quint32 pixel, quint32 mask);

ColourValue DecodePixel(quint32 pixel, const PixelMasks &masks);
