#include "core/colour/CodeText.h"

std::string HexPair(int component) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return {digits[(component >> 4) & 0xF], digits[component & 0xF]};
}

ColourTexts RenderTexts(ColourValue colour, int listIndex, int caseValue) {
    if (colour == CLR_INVALID)
        return {};
    const ColourComponents c = SplitColour(colour);
    ColourTexts texts{std::to_string(c.red), std::to_string(c.green), std::to_string(c.blue), {}};
    switch (listIndex) {
    case FormatHtml:
        texts.code = '#' + HexPair(c.red) + HexPair(c.green) + HexPair(c.blue);
        break;
    case FormatHex:
        texts.code = HexPair(c.red) + HexPair(c.green) + HexPair(c.blue);
        break;
    case FormatComma:
        texts.code = texts.red + ',' + texts.green + ',' + texts.blue;
        return texts;
    default:
        return texts;
    }
    if (caseValue == 0)
        for (char &ch : texts.code)
            if (ch >= 'A' && ch <= 'F')
                ch = static_cast<char>(ch - 'A' + 'a'); // ASCII only, whatever the locale
    return texts;
}
