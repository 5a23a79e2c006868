#include "core/colour/ColourSpaces.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Extremes {
    int max, min;
};

Extremes ExtremesOf(ColourComponents c) {
    return {std::max({c.red, c.green, c.blue}), std::min({c.red, c.green, c.blue})};
}

// The hexagonal hue shared by HSL and HSV: 60 degrees a sector, the sector's part as a ratio of
// the components' spread.
Ratio HexHue(ColourComponents c, Extremes e) {
    const int spread = e.max - e.min;
    if (spread == 0)
        return {0, 1};
    int sixtieths; // the hue in units of 60 / spread degrees
    if (e.max == c.red)
        sixtieths = c.green - c.blue + (c.green < c.blue ? 6 * spread : 0);
    else if (e.max == c.green)
        sixtieths = c.blue - c.red + 2 * spread;
    else
        sixtieths = c.red - c.green + 4 * spread;
    return {60 * sixtieths, spread};
}

double Linear(int component) {
    const double v = component / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

} // namespace

int RoundHalfUp(Ratio ratio, int scale) {
    const long long twice = 2LL * ratio.numerator * scale + ratio.denominator;
    return static_cast<int>(twice / (2LL * ratio.denominator));
}

Hsl ToHsl(ColourComponents c) {
    const Extremes e = ExtremesOf(c);
    const int sum = e.max + e.min; // lightness is sum / 510
    // Saturation is the spread over what the lightness leaves: 1 - |2L - 1| = that / 255.
    const int room = sum <= 255 ? sum : 510 - sum;
    const Ratio saturation = e.max == e.min ? Ratio{0, 1} : Ratio{e.max - e.min, room};
    return {HexHue(c, e), saturation, {sum, 510}};
}

Hsv ToHsv(ColourComponents c) {
    const Extremes e = ExtremesOf(c);
    const Ratio saturation = e.max == 0 ? Ratio{0, 1} : Ratio{e.max - e.min, e.max};
    return {HexHue(c, e), saturation, {e.max, 255}};
}

// Linear sRGB to LMS, cube roots, then to Lab: the two published Oklab matrices.
Oklch ToOklch(ColourComponents c) {
    const double r = Linear(c.red), g = Linear(c.green), b = Linear(c.blue);
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    const double lightness = 0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s;
    const double a = 1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s;
    const double bb = 0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s;
    const double chroma = std::hypot(a, bb);
    double hue = std::atan2(bb, a) * 180.0 / std::numbers::pi;
    if (hue < 0.0)
        hue += 360.0;
    return {lightness, chroma, hue};
}
