#include "core/history/GimpPalette.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view Header = "GIMP Palette";
constexpr std::string_view Preamble = "GIMP Palette\nName: Kalvor\nColumns: 0\n#\n";

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && Blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (Blank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The lines of text without their ends; a last line without one counts too.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// A component of 0..255 at the front of text, taken off it.
std::optional<int> TakeComponent(std::string_view &text) {
    while (!text.empty() && Blank(text.front()))
        text.remove_prefix(1);
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value < 0 || value > 255)
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (!text.empty() && !Blank(text.front()) && text.front() != '\r')
        return std::nullopt; // "12a" is no number
    return value;
}

// The colour a line of a palette gives, or none for any other line.
std::optional<HistoryColour> ColourLine(std::string_view line) {
    if (Trimmed(line).starts_with('#'))
        return std::nullopt;
    const auto red = TakeComponent(line);
    const auto green = red ? TakeComponent(line) : std::nullopt;
    const auto blue = green ? TakeComponent(line) : std::nullopt;
    if (!blue)
        return std::nullopt;
    return HistoryColour{RGB(*red, *green, *blue), std::string(Trimmed(line))};
}

std::string PaletteLine(const HistoryColour &entry, std::string_view end) {
    const ColourComponents c = SplitColour(entry.colour);
    std::array<char, 16> numbers{};
    const int n =
        std::snprintf(numbers.data(), numbers.size(), "%3d %3d %3d\t", c.red, c.green, c.blue);
    return std::string(numbers.data(), static_cast<std::size_t>(n)) + entry.name + std::string(end);
}

} // namespace

History ReadGimpPalette(std::string_view text) {
    History history;
    for (const std::string_view line : Lines(text))
        if (auto colour = ColourLine(line))
            history.Append(std::move(*colour));
    return history;
}

std::string WriteGimpPalette(const History &history) {
    return RewriteGimpPalette({}, history);
}

std::string RewriteGimpPalette(std::string_view kept, const History &history) {
    std::string text;
    if (!Trimmed(kept.substr(0, kept.find('\n'))).starts_with(Header))
        text = Preamble;
    // A file GIMP wrote on Windows keeps its line ends.
    const std::string_view end = kept.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::int64_t next = 0; // the first colour of history not written yet
    for (const std::string_view line : Lines(kept)) {
        const auto colour = ColourLine(line);
        if (!colour) {
            text.append(line).append("\n");
        } else if (next < history.Count() && *colour == history.At(next)) {
            text.append(line).append("\n");
            ++next;
        }
    }
    for (; next < history.Count(); ++next)
        text += PaletteLine(history.At(next), end);
    return text;
}
