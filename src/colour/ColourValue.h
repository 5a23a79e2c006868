#pragma once

#include <QColor>
#include <QtGlobal>

class QPalette;

// A colour as the window stores it: 0x00BBGGRR, red in the low byte. A value with a non-zero
// top byte is a reference to a system colour (0x80000000 | index) or the failed-read marker.
using ColourValue = qint32;

inline constexpr ColourValue CLR_INVALID = -1; // 0xFFFFFFFF: the screen could not be read
inline constexpr ColourValue COLOR_BTNFACE_REF = static_cast<ColourValue>(0x8000000F);

struct ColourComponents {
    int red;
    int green;
    int blue;
};

// Only the low three bytes take part; the top byte never reaches a text.
ColourComponents SplitColour(ColourValue colour);

// What a colour value paints as. A system colour reference takes the palette's colour; the
// failed-read marker has no colour at all and yields an invalid QColor.
QColor PaintColour(ColourValue colour, const QPalette &palette);
