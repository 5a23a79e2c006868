#pragma once

#include "core/colour/ColourValue.h"

// An exact ratio (denominator above 0). HSL and HSV of 8-bit components are ratios of small
// integers; kept as such, a value that lies exactly on a half rounds the same way every time.
struct Ratio {
    int numerator, denominator;
};

// The nearest whole number to ratio * scale, a half upwards. For ratios of 0 and above.
int RoundHalfUp(Ratio ratio, int scale);

// Cylindrical forms of an sRGB colour. Hues in degrees [0, 360), the rest as fractions of 1;
// a grey has hue 0 (its hue carries no meaning).
struct Hsl {
    Ratio hue, saturation, lightness;
};
struct Hsv {
    Ratio hue, saturation, value;
};
// Oklab's lightness (0..1), chroma and hue.
struct Oklch {
    double lightness, chroma, hue;
};

Hsl ToHsl(ColourComponents c);
Hsv ToHsv(ColourComponents c);
Oklch ToOklch(ColourComponents c);
