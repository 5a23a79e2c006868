#pragma once

#include "core/colour/ColourValue.h"

#include <optional>
#include <string>
#include <string_view>

// How well text of one colour reads on another: WCAG 2's contrast ratio and APCA's lightness
// contrast (Lc, positive for dark text on a light ground, negative the other way round).
struct Contrast {
    double ratio;                      // 1 to 21
    bool aa;                           // 4.5:1 or more: normal text passes AA
    bool aaa;                          // 7:1 or more: AAA
    double lightness;                  // Lc, about -108 to 106
    std::string RatioText() const;     // two decimals: "4.54:1"
    std::string LightnessText() const; // one decimal: "106.0", "-107.9"
};

Contrast ContrastOf(ColourValue text, ColourValue ground);

// A colour as the command line gives it: "#RRGGBB", "RRGGBB" or "r,g,b" (0 to 255 each).
std::optional<ColourValue> ParseColourArgument(std::string_view text);

// What `kalvor --contrast TEXT GROUND` prints.
std::string ContrastReport(ColourValue text, ColourValue ground);

// The tooltip of a history swatch: its name, and while a colour is held, how the held colour
// reads as text on the swatch.
std::string SwatchTip(std::string_view name, ColourValue swatch, std::optional<ColourValue> held);
