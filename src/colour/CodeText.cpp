#include "colour/CodeText.h"

QString HexPair(int component) {
    // component + 256 always has three hex digits, so the last two carry the leading zero.
    return QString::number(component + 256, 16).right(2).toUpper();
}

ColourTexts RenderTexts(ColourValue colour, int listIndex, int caseValue) {
    if (colour == CLR_INVALID)
        return {};
    const ColourComponents c = SplitColour(colour);
    ColourTexts texts{
        QString::number(c.red), QString::number(c.green), QString::number(c.blue), {}};
    switch (listIndex) {
    case FormatHtml:
        texts.code = QLatin1Char('#') + HexPair(c.red) + HexPair(c.green) + HexPair(c.blue);
        break;
    case FormatHex:
        texts.code = HexPair(c.red) + HexPair(c.green) + HexPair(c.blue);
        break;
    case FormatComma:
        return {texts.red, texts.green, texts.blue,
                texts.red + QLatin1Char(',') + texts.green + QLatin1Char(',') + texts.blue};
    default:
        return texts;
    }
    if (caseValue == 0)
        texts.code = texts.code.toLower();
    return texts;
}
