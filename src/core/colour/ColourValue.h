#pragma once

#include <cstdint>

// A colour as the window stores it: 0x00BBGGRR, red in the low byte. A value with a non-zero
// top byte is a reference to a system colour (0x80000000 | index) or the failed-read marker.
using ColourValue = std::int32_t;

inline constexpr ColourValue CLR_INVALID = -1; // 0xFFFFFFFF: the screen could not be read
inline constexpr ColourValue COLOR_BTNFACE_REF = static_cast<ColourValue>(0x8000000F);

struct ColourComponents {
    int red;
    int green;
    int blue;
};

// Only the low three bytes take part; the top byte never reaches a text.
constexpr ColourComponents SplitColour(ColourValue colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    return {static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
            static_cast<int>((bits >> 16) & 0xFFu)};
}

constexpr ColourValue RGB(int red, int green, int blue) {
    return static_cast<ColourValue>(static_cast<std::uint32_t>(red & 0xFF) |
                                    (static_cast<std::uint32_t>(green & 0xFF) << 8) |
                                    (static_cast<std::uint32_t>(blue & 0xFF) << 16));
}

// A reference to one of the desktop's own colours rather than a colour of its own.
constexpr bool IsSystemColour(ColourValue colour) {
    return (static_cast<std::uint32_t>(colour) & 0xFF000000u) == 0x80000000u;
}
