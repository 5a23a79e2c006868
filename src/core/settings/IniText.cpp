#include "core/settings/IniText.h"

#include <vector>

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

struct Line {
    size_t begin; // first byte of the text
    size_t end;   // one past the text, where its line end starts
    size_t next;  // start of the following line
    std::string_view text;
};

std::vector<Line> SplitLines(std::string_view all, size_t from) {
    std::vector<Line> lines;
    size_t at = from;
    while (at < all.size()) {
        size_t end = at;
        while (end < all.size() && all[end] != '\r' && all[end] != '\n')
            ++end;
        size_t next = end;
        if (next < all.size())
            next += (all[next] == '\r' && next + 1 < all.size() && all[next + 1] == '\n') ? 2 : 1;
        lines.push_back({at, end, next, all.substr(at, end - at)});
        at = next;
    }
    return lines;
}

size_t BodyStart(std::string_view file) {
    return file.substr(0, ByteOrderMark.size()) == ByteOrderMark ? ByteOrderMark.size() : 0;
}

// The section a line opens, if it opens one.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    const size_t close = text.find(']');
    return Trimmed(text.substr(1, (close == std::string_view::npos ? text.size() : close) - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> KeyOf(std::string_view line) {
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() == ';' || text.front() == '[')
        return std::nullopt;
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trimmed(text.substr(0, equals)), Trimmed(text.substr(equals + 1))};
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Where section begins and ends among the lines: its header, and one past its last line.
struct SectionSpan {
    size_t header;
    size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line> &lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].text);
        if (!name || !SameName(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end].text))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const std::vector<Line> &lines, SectionSpan span,
                              std::string_view key) {
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const auto found = KeyOf(lines[i].text);
        if (found && SameName(found->key, key))
            return i;
    }
    return std::nullopt;
}

bool Breaks(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The line end this file already uses, so that added lines match it.
std::string_view LineEndOf(std::string_view file) {
    const size_t lf = file.find('\n');
    const size_t cr = file.find('\r');
    if (cr != std::string_view::npos && (lf == std::string_view::npos || cr < lf))
        return cr + 1 < file.size() && file[cr + 1] == '\n' ? "\r\n" : "\r";
    return lf != std::string_view::npos ? "\n" : "\r\n";
}

std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string result;
    size_t size = 0;
    for (const std::string_view part : parts)
        size += part.size();
    result.reserve(size);
    for (const std::string_view part : parts)
        result += part;
    return result;
}

} // namespace

std::optional<std::string> LookupValue(std::string_view file, std::string_view section,
                                       std::string_view key) {
    const std::vector<Line> lines = SplitLines(file, BodyStart(file));
    const auto span = FindSection(lines, Trimmed(section));
    if (!span)
        return std::nullopt;
    const auto at = FindKey(lines, *span, Trimmed(key));
    if (!at)
        return std::nullopt;
    return std::string(Unquoted(KeyOf(lines[*at].text)->value));
}

std::optional<std::string> SetValue(std::string_view file, std::string_view section,
                                    std::string_view key, std::string_view value) {
    section = Trimmed(section);
    key = Trimmed(key);
    if (section.empty() || key.empty() || Breaks(section) || Breaks(key) || Breaks(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        key.front() == '[' || key.front() == ';')
        return std::nullopt;

    const std::vector<Line> lines = SplitLines(file, BodyStart(file));
    const std::string_view eol = LineEndOf(file);

    const auto span = FindSection(lines, section);
    if (!span) {
        const bool open =
            file.size() > BodyStart(file) && file.back() != '\n' && file.back() != '\r';
        return Joined({file, open ? eol : "", "[", section, "]", eol, key, "=", value, eol});
    }

    if (const auto at = FindKey(lines, *span, key)) {
        const Line &line = lines[*at];
        size_t indent = 0;
        while (IsBlank(line.text[indent]))
            ++indent;
        // The file's own spelling of the key stays, and so does its indentation.
        return Joined({file.substr(0, line.begin), line.text.substr(0, indent),
                       KeyOf(line.text)->key, "=", value, file.substr(line.end)});
    }

    // After the section's last line that is not blank, so trailing blank lines stay behind it.
    size_t last = span->header;
    for (size_t i = span->header + 1; i < span->end; ++i)
        if (!Trimmed(lines[i].text).empty())
            last = i;
    const Line &after = lines[last];
    if (after.next == after.end) // the file's last line, without a line end
        return Joined(
            {file.substr(0, after.end), eol, key, "=", value, eol, file.substr(after.end)});
    // The line end of the line above: a CR of another style could join with a LF below.
    const std::string_view ending = file.substr(after.end, after.next - after.end);
    return Joined({file.substr(0, after.next), key, "=", value, ending, file.substr(after.next)});
}
