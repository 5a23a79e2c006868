#include "core/history/PaletteFormats.h"

#include "core/colour/CodeFormats.h"
#include "core/history/GimpPalette.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>
#include <vector>

namespace {

// The name a colour goes by where a name is wanted and it has none.
std::string NameOf(const HistoryColour &entry) {
    return entry.name.empty() ? RenderCode(*FormatByWord("html"), entry.colour, 1) : entry.name;
}

std::string Gpl(const History &history, const CodeStyle &) {
    return WriteGimpPalette(history);
}

// Custom properties numbered from 1, each with its name in a comment where that says more
// than the code.
std::string Css(const History &history, const CodeStyle &) {
    std::string text = ":root {\n";
    std::int64_t number = 0;
    for (const HistoryColour &entry : history.Colours()) {
        const std::string code = RenderCode(*FormatByWord("html"), entry.colour, 1);
        text += "  --kalvor-" + std::to_string(++number) + ": " + code + ';';
        if (!entry.name.empty() && entry.name != code) {
            std::string name = entry.name;
            for (std::size_t at; (at = name.find("*/")) != std::string::npos;)
                name.replace(at, 2, "* /"); // would end the comment early
            text += " /* " + name + " */";
        }
        text += '\n';
    }
    return text + "}\n";
}

std::string JsonString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            constexpr char digits[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += digits[(c >> 4) & 0xF];
            quoted += digits[c & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

std::string Json(const History &history, const CodeStyle &) {
    std::string text = "[";
    const char *separator = "\n";
    for (const HistoryColour &entry : history.Colours()) {
        const ColourComponents c = SplitColour(entry.colour);
        text += separator;
        text += "  {\"name\": " + JsonString(NameOf(entry)) + ", \"hex\": \"" +
                RenderCode(*FormatByWord("html"), entry.colour, 1) +
                "\", \"red\": " + std::to_string(c.red) +
                ", \"green\": " + std::to_string(c.green) +
                ", \"blue\": " + std::to_string(c.blue) + '}';
        separator = ",\n";
    }
    return text + (history.Empty() ? "]\n" : "\n]\n");
}

void PutBig16(std::string &bytes, std::uint16_t value) {
    bytes += static_cast<char>(value >> 8);
    bytes += static_cast<char>(value & 0xFF);
}

void PutBig32(std::string &bytes, std::uint32_t value) {
    PutBig16(bytes, static_cast<std::uint16_t>(value >> 16));
    PutBig16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
}

// Big-endian throughout: a header, then one colour block a colour, RGB as 32-bit floats from
// 0 to 1, the name in UTF-16 with its terminating zero counted in its length.
std::string Ase(const History &history, const CodeStyle &) {
    std::string bytes = "ASEF";
    PutBig16(bytes, 1); // version 1.0
    PutBig16(bytes, 0);
    PutBig32(bytes, static_cast<std::uint32_t>(history.Count()));
    for (const HistoryColour &entry : history.Colours()) {
        std::u16string name = Utf16(NameOf(entry));
        name += u'\0';
        const auto units = static_cast<std::uint16_t>(std::min<std::size_t>(name.size(), 0xFFFF));
        name.resize(units);
        name.back() = u'\0';
        PutBig16(bytes, 0x0001); // a colour entry
        PutBig32(bytes, 2u + 2u * units + 4u + 12u + 2u);
        PutBig16(bytes, units);
        for (const char16_t unit : name)
            PutBig16(bytes, static_cast<std::uint16_t>(unit));
        bytes += "RGB ";
        const ColourComponents c = SplitColour(entry.colour);
        for (const int component : {c.red, c.green, c.blue})
            PutBig32(bytes, std::bit_cast<std::uint32_t>(static_cast<float>(component / 255.0)));
        PutBig16(bytes, 2); // a normal colour, neither global nor spot
    }
    return bytes;
}

std::string Codes(const History &history, const CodeStyle &style) {
    const CodeFormat *format = FormatById(style.format);
    if (!format)
        format = FormatByWord("html");
    std::string text;
    for (const HistoryColour &entry : history.Colours())
        text += RenderCode(*format, entry.colour, style.upperCase) + '\n';
    return text;
}

constexpr std::size_t ExportCount = 5;
const PaletteFormat OwnFormats[] = {
    {"gpl", "GIMP パレット", "gpl", false, -1, Gpl},
    {"css", "CSS カスタムプロパティ", "css", false, -1, Css},
    {"json", "JSON", "json", false, -1, Json},
    {"ase", "Adobe Swatch Exchange", "ase", true, -1, Ase},
    {"", "テキスト", "txt", false, -1, Codes},
};

const std::vector<PaletteFormat> &Table() {
    static const std::vector<PaletteFormat> table = [] {
        std::vector<PaletteFormat> rows(std::begin(OwnFormats), std::end(OwnFormats));
        for (const CodeFormat &format : CodeFormats())
            rows.push_back({format.word, "", "txt", false, format.id, Codes});
        return rows;
    }();
    return table;
}

} // namespace

std::span<const PaletteFormat> PaletteFormats() {
    return Table();
}

std::span<const PaletteFormat> ExportFormats() {
    return PaletteFormats().first(ExportCount);
}

const PaletteFormat *PaletteFormatByWord(std::string_view word) {
    for (const PaletteFormat &format : Table())
        if (format.word == word)
            return &format;
    return nullptr;
}

std::string PaletteWords(std::string_view separator) {
    std::string words;
    for (const PaletteFormat &format : Table()) {
        if (format.word.empty())
            continue;
        if (!words.empty())
            words += separator;
        words += format.word;
    }
    return words;
}

std::string WritePalette(const PaletteFormat &format, const History &history,
                         const CodeStyle &style) {
    CodeStyle used = style;
    if (format.code >= 0)
        used.format = format.code;
    return format.write(history, used);
}

std::u16string Utf16(std::string_view utf8) {
    std::u16string units;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80         ? 1
                           : lead >> 5 == 0x6  ? 2
                           : lead >> 4 == 0xE  ? 3
                           : lead >> 3 == 0x1E ? 4
                                               : 0;
        char32_t point = length == 1   ? lead
                         : length == 2 ? lead & 0x1F
                         : length == 3 ? lead & 0x0F
                                       : lead & 0x07;
        bool whole = length > 0 && i + static_cast<std::size_t>(length) <= utf8.size();
        for (int k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            whole = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and points past Unicode's end are no characters.
        static constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!whole || point < Least[length] || point > 0x10FFFF ||
            (point >= 0xD800 && point <= 0xDFFF)) {
            units += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(length);
        if (point < 0x10000) {
            units += static_cast<char16_t>(point);
        } else {
            point -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (point >> 10));
            units += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
        }
    }
    return units;
}
