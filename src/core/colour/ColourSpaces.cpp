#include "core/colour/ColourSpaces.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Unit {
    double r, g, b, max, min;
};

Unit ToUnit(ColourComponents c) {
    const double r = c.red / 255.0, g = c.green / 255.0, b = c.blue / 255.0;
    return {r, g, b, std::max({r, g, b}), std::min({r, g, b})};
}

// The hexagonal hue shared by HSL and HSV.
double HexHue(const Unit &u) {
    const double d = u.max - u.min;
    if (d <= 0.0)
        return 0.0;
    double sector;
    if (u.max == u.r)
        sector = std::fmod((u.g - u.b) / d + 6.0, 6.0);
    else if (u.max == u.g)
        sector = (u.b - u.r) / d + 2.0;
    else
        sector = (u.r - u.g) / d + 4.0;
    return sector * 60.0;
}

double Linear(int component) {
    const double v = component / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

} // namespace

Hsl ToHsl(ColourComponents c) {
    const Unit u = ToUnit(c);
    const double lightness = (u.max + u.min) / 2.0;
    const double d = u.max - u.min;
    const double saturation = d <= 0.0 ? 0.0 : d / (1.0 - std::abs(2.0 * lightness - 1.0));
    return {HexHue(u), saturation, lightness};
}

Hsv ToHsv(ColourComponents c) {
    const Unit u = ToUnit(c);
    return {HexHue(u), u.max <= 0.0 ? 0.0 : (u.max - u.min) / u.max, u.max};
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
