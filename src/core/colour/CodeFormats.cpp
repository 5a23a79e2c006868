#include "core/colour/CodeFormats.h"

#include "core/colour/CodeText.h"
#include "core/colour/ColourSpaces.h"

#include <array>
#include <charconv>

namespace {

std::string Hex(ColourComponents c) {
    return HexPair(c.red) + HexPair(c.green) + HexPair(c.blue);
}

std::string Html(ColourComponents c) {
    return '#' + Hex(c);
}

std::string Comma(ColourComponents c) {
    return std::to_string(c.red) + ',' + std::to_string(c.green) + ',' + std::to_string(c.blue);
}

// Whole degrees, 0 to 359.
std::string Degrees(Ratio hue) {
    return std::to_string(RoundHalfUp(hue, 1) % 360);
}

std::string Percent(Ratio fraction) {
    return std::to_string(RoundHalfUp(fraction, 100)) + '%';
}

// Fixed decimals with a '.', whatever the process's locale says.
std::string Fixed(double value, int decimals) {
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                   std::chars_format::fixed, decimals)
                         .ptr;
    return {text.data(), end};
}

// CSS Color 4's space-separated forms.
std::string CssHsl(ColourComponents c) {
    const Hsl hsl = ToHsl(c);
    return "hsl(" + Degrees(hsl.hue) + ' ' + Percent(hsl.saturation) + ' ' +
           Percent(hsl.lightness) + ')';
}

// HSV has no CSS function; the same shape keeps it readable beside hsl().
std::string CssHsv(ColourComponents c) {
    const Hsv hsv = ToHsv(c);
    return "hsv(" + Degrees(hsv.hue) + ' ' + Percent(hsv.saturation) + ' ' + Percent(hsv.value) +
           ')';
}

// Lightness and chroma to 3 decimals, hue to 1; a grey's hue, which carries nothing, as 0.
std::string CssOklch(ColourComponents c) {
    const Oklch lch = ToOklch(c);
    std::string chroma = Fixed(lch.chroma, 3);
    const bool grey = chroma == "0.000";
    std::string hue = grey ? "0" : Fixed(lch.hue, 1);
    if (hue == "360.0")
        hue = "0.0";
    return "oklch(" + Fixed(lch.lightness, 3) + ' ' + chroma + ' ' + hue + ')';
}

constexpr std::size_t ListSize = 3;
const CodeFormat Table[] = {
    {FormatHtml, "html", "HTML色", true, Html},
    {FormatHex, "hex", "16進数", true, Hex},
    {FormatComma, "rgb", "カンマ区切り", false, Comma},
    {3, "hsl", "", false, CssHsl},
    {4, "hsv", "", false, CssHsv},
    {5, "oklch", "", false, CssOklch},
};

} // namespace

std::span<const CodeFormat> CodeFormats() {
    return Table;
}

std::span<const CodeFormat> ListFormats() {
    return CodeFormats().first(ListSize);
}

const CodeFormat *FormatByWord(std::string_view word) {
    for (const CodeFormat &format : Table)
        if (format.word == word)
            return &format;
    return nullptr;
}

const CodeFormat *FormatById(int id) {
    for (const CodeFormat &format : Table)
        if (format.id == id)
            return &format;
    return nullptr;
}

std::string FormatWords() {
    std::string words;
    const auto all = CodeFormats();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0)
            words += i + 1 == all.size() ? " or " : ", ";
        words += all[i].word;
    }
    return words;
}

std::string RenderCode(const CodeFormat &format, ColourValue colour, int caseValue) {
    if (colour == CLR_INVALID)
        return {};
    std::string code = format.render(SplitColour(colour));
    if (format.hasCase && caseValue == 0)
        for (char &ch : code)
            if (ch >= 'A' && ch <= 'F')
                ch = static_cast<char>(ch - 'A' + 'a'); // ASCII only, whatever the locale
    return code;
}
