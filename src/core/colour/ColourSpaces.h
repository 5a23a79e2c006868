#pragma once

#include "core/colour/ColourValue.h"

// Cylindrical forms of an sRGB colour. Hues in degrees [0, 360), the rest as fractions;
// a grey has hue 0 (its hue carries no meaning).
struct Hsl {
    double hue, saturation, lightness;
};
struct Hsv {
    double hue, saturation, value;
};
// Oklab's lightness (0..1), chroma and hue.
struct Oklch {
    double lightness, chroma, hue;
};

Hsl ToHsl(ColourComponents c);
Hsv ToHsv(ColourComponents c);
Oklch ToOklch(ColourComponents c);
