#include "settings/IniText.h"

#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView Trimmed(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool SameName(QByteArrayView a, QByteArrayView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Line {
    qsizetype begin; // first byte of the text
    qsizetype end;   // one past the text, where its line end starts
    qsizetype next;  // start of the following line
    QByteArrayView text;
};

std::vector<Line> SplitLines(const QByteArray &file) {
    std::vector<Line> lines;
    const QByteArrayView all(file);
    qsizetype at = 0;
    while (at < all.size()) {
        qsizetype end = at;
        while (end < all.size() && all[end] != '\r' && all[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < all.size())
            next += (all[next] == '\r' && next + 1 < all.size() && all[next + 1] == '\n') ? 2 : 1;
        lines.push_back({at, end, next, all.sliced(at, end - at)});
        at = next;
    }
    return lines;
}

// The section a line opens, if it opens one.
std::optional<QByteArrayView> SectionName(QByteArrayView line) {
    const QByteArrayView text = Trimmed(line);
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    return Trimmed(text.sliced(1, (close < 0 ? text.size() : close) - 1));
}

struct KeyLine {
    QByteArrayView key;
    QByteArrayView value;
};

std::optional<KeyLine> KeyOf(QByteArrayView line) {
    const QByteArrayView text = Trimmed(line);
    if (text.startsWith(';') || text.startsWith('['))
        return std::nullopt;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return KeyLine{Trimmed(text.first(equals)), Trimmed(text.sliced(equals + 1))};
}

QByteArrayView Unquoted(QByteArrayView value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// Where section begins and ends among the lines: [first, last) after its header, or nullopt.
struct SectionSpan {
    size_t header;
    size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line> &lines, QByteArrayView section) {
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
                              QByteArrayView key) {
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const auto found = KeyOf(lines[i].text);
        if (found && SameName(found->key, key))
            return i;
    }
    return std::nullopt;
}

bool Breaks(QByteArrayView text) {
    return text.contains('\r') || text.contains('\n') || text.contains('\0');
}

// The line end this file already uses, so that added lines match it.
QByteArray LineEndOf(const QByteArray &file) {
    const qsizetype at = file.indexOf('\n');
    const qsizetype cr = file.indexOf('\r');
    if (cr >= 0 && (at < 0 || cr < at))
        return cr + 1 < file.size() && file[cr + 1] == '\n' ? "\r\n" : "\r";
    return at >= 0 ? "\n" : "\r\n";
}

} // namespace

std::optional<QByteArray> LookupValue(const QByteArray &file, QByteArrayView section,
                                      QByteArrayView key) {
    const std::vector<Line> lines = SplitLines(file);
    const auto span = FindSection(lines, Trimmed(section));
    if (!span)
        return std::nullopt;
    const auto at = FindKey(lines, *span, Trimmed(key));
    if (!at)
        return std::nullopt;
    return Unquoted(KeyOf(lines[*at].text)->value).toByteArray();
}

std::optional<QByteArray> SetValue(const QByteArray &file, QByteArrayView section,
                                   QByteArrayView key, QByteArrayView value) {
    section = Trimmed(section);
    key = Trimmed(key);
    if (section.isEmpty() || key.isEmpty() || Breaks(section) || Breaks(key) || Breaks(value) ||
        section.contains(']') || key.contains('=') || key.startsWith('[') || key.startsWith(';'))
        return std::nullopt;

    const std::vector<Line> lines = SplitLines(file);
    const QByteArray eol = LineEndOf(file);
    QByteArray result;
    result.reserve(file.size() + section.size() + key.size() + value.size() + 8);

    const auto span = FindSection(lines, section);
    if (!span) {
        result = file;
        if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r'))
            result += eol;
        return result + '[' + section.toByteArray() + ']' + eol + key.toByteArray() + '=' +
               value.toByteArray() + eol;
    }

    if (const auto at = FindKey(lines, *span, key)) {
        const Line &line = lines[*at];
        const QByteArrayView text = line.text;
        qsizetype indent = 0;
        while (IsBlank(text[indent]))
            ++indent;
        // The file's own spelling of the key stays, and so does its indentation.
        return file.first(line.begin) + text.first(indent).toByteArray() +
               KeyOf(text)->key.toByteArray() + '=' + value.toByteArray() + file.sliced(line.end);
    }

    // After the section's last line that is not blank, so trailing blank lines stay behind it.
    size_t last = span->header;
    for (size_t i = span->header + 1; i < span->end; ++i)
        if (!Trimmed(lines[i].text).isEmpty())
            last = i;
    const Line &after = lines[last];
    const QByteArray added = key.toByteArray() + '=' + value.toByteArray();
    if (after.next == after.end) // the file's last line, without a line end
        return file.first(after.end) + eol + added + eol + file.sliced(after.end);
    // The line end of the line above: a CR of another style could join with a LF below.
    const QByteArray ending = file.sliced(after.end, after.next - after.end);
    return file.first(after.next) + added + ending + file.sliced(after.next);
}
