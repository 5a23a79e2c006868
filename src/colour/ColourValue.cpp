#include "colour/ColourValue.h"

#include <QPalette>

ColourComponents SplitColour(ColourValue colour) {
    const auto bits = static_cast<quint32>(colour);
    return {static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
            static_cast<int>((bits >> 16) & 0xFFu)};
}

QColor PaintColour(ColourValue colour, const QPalette &palette) {
    if (colour == CLR_INVALID)
        return {};
    const auto bits = static_cast<quint32>(colour);
    if ((bits & 0xFF000000u) == 0x80000000u)
        return palette.color(QPalette::Button); // every system reference we hold is a face colour
    const ColourComponents c = SplitColour(colour);
    return QColor(c.red, c.green, c.blue);
}
