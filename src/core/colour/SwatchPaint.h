#pragma once

#include "core/colour/ColourValue.h"

// How a swatch (the preview, a history swatch, the picture a copy carries) shows a colour
// value. Both front-ends paint by this rule, so that no value looks one way here and another
// there.
enum class SwatchFill {
    Solid,  // the colour itself
    System, // the desktop's colour of that index: the face colour for the values we hold
    Hatch,  // no colour at all (a failed read): a hatch on the face, never passing for a colour
};

struct SwatchPaint {
    SwatchFill fill;
    ColourComponents colour; // for Solid
    int systemIndex;         // for System
};

constexpr SwatchPaint PaintOf(ColourValue colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    if ((bits & 0xFF000000u) == 0)
        return {SwatchFill::Solid, SplitColour(colour), 0};
    if (IsSystemColour(colour))
        return {SwatchFill::System, {}, static_cast<int>(bits & 0xFFu)};
    return {SwatchFill::Hatch, {}, 0};
}
