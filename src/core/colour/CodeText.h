#pragma once

#include "core/colour/ColourValue.h"

#include <string>

// The entries of the format list, by index.
enum OutputFormat : int { FormatNone = -1, FormatHtml = 0, FormatHex = 1, FormatComma = 2 };

// Everything the window writes for one colour: the three component boxes and the code line.
struct ColourTexts {
    std::string red;
    std::string green;
    std::string blue;
    std::string code;
    bool operator==(const ColourTexts &) const = default;
};

// Two upper-case hexadecimal digits, 00 to FF.
std::string HexPair(int component);

// listIndex is the chosen entry of the window's list (anything else gives no code); caseValue is
// the upper-case box's value, 0 for lower case. A failed read renders as empty texts, never as the
// white its bit pattern would spell.
ColourTexts RenderTexts(ColourValue colour, int listIndex, int caseValue);
