#include "core/colour/CodeText.h"

#include "core/colour/CodeFormats.h"

std::string HexPair(int component) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return {digits[(component >> 4) & 0xF], digits[component & 0xF]};
}

ColourTexts RenderTexts(ColourValue colour, int listIndex, int caseValue) {
    if (colour == CLR_INVALID)
        return {};
    const ColourComponents c = SplitColour(colour);
    ColourTexts texts{std::to_string(c.red), std::to_string(c.green), std::to_string(c.blue), {}};
    const auto list = ListFormats();
    if (listIndex >= 0 && listIndex < static_cast<int>(list.size()))
        texts.code = RenderCode(list[static_cast<std::size_t>(listIndex)], colour, caseValue);
    return texts;
}
