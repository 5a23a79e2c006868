#include "core/settings/IniText.h"

#include <algorithm>
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

// The lines of a file one after another, none of them held: a pass costs no memory.
class LineCursor {
  public:
    LineCursor(std::string_view all, size_t from) : all_(all), at_(from) {}
    std::optional<Line> Next() {
        if (at_ >= all_.size())
            return std::nullopt;
        const size_t found = all_.find_first_of("\r\n", at_);
        const size_t end = found == std::string_view::npos ? all_.size() : found;
        size_t next = end;
        if (next < all_.size())
            next +=
                (all_[next] == '\r' && next + 1 < all_.size() && all_[next + 1] == '\n') ? 2 : 1;
        const Line line{at_, end, next, all_.substr(at_, end - at_)};
        at_ = next;
        return line;
    }

    // Moves on to the next line whose text starts with '[' after blanks, over any others at
    // the speed of a search: lines outside the sections asked for need no closer look.
    void SkipToSection() {
        for (size_t bracket = all_.find('[', at_); bracket != std::string_view::npos;
             bracket = all_.find('[', bracket + 1)) {
            size_t start = bracket;
            while (start > at_ && IsBlank(all_[start - 1]))
                --start;
            if (start == at_ || all_[start - 1] == '\n' || all_[start - 1] == '\r') {
                at_ = start;
                return;
            }
        }
        at_ = all_.size();
    }

  private:
    std::string_view all_;
    size_t at_;
};

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

bool Refused(std::string_view section, std::string_view key, std::string_view value) {
    return section.empty() || key.empty() || Breaks(section) || Breaks(key) || Breaks(value) ||
           section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
           key.front() == '[' || key.front() == ';';
}

// What one write pass changes: per section asked for, where its first copy stands in the file
// and which of its keys it already holds.
struct WantedKey {
    std::string_view key;
    std::string_view value; // the last one asked for
    std::optional<Line> line;
};

struct WantedSection {
    std::string_view name;
    std::vector<WantedKey> keys; // in the order first asked for
    std::optional<Line> last;    // its header, then its last line that is not blank
};

std::vector<WantedSection> Group(const std::vector<IniEntry> &entries) {
    std::vector<WantedSection> wanted;
    for (const IniEntry &entry : entries) {
        const std::string_view section = Trimmed(entry.section);
        const std::string_view key = Trimmed(entry.key);
        auto group = std::find_if(wanted.begin(), wanted.end(), [&](const WantedSection &w) {
            return SameName(w.name, section);
        });
        if (group == wanted.end())
            group = wanted.insert(wanted.end(), WantedSection{section, {}, {}});
        auto found = std::find_if(group->keys.begin(), group->keys.end(),
                                  [&](const WantedKey &w) { return SameName(w.key, key); });
        if (found == group->keys.end())
            group->keys.push_back({key, entry.value, {}});
        else
            found->value = entry.value;
    }
    return wanted;
}

// A stretch of the old file replaced by new text (nothing replaced: an insertion).
struct Edit {
    size_t from;
    size_t to;
    std::string text;
};

} // namespace

std::optional<std::string> LookupValue(std::string_view file, std::string_view section,
                                       std::string_view key) {
    section = Trimmed(section);
    key = Trimmed(key);
    LineCursor lines(file, BodyStart(file));
    bool inside = false;
    for (;;) {
        if (!inside)
            lines.SkipToSection();
        const auto line = lines.Next();
        if (!line)
            break;
        if (const auto name = SectionName(line->text)) {
            if (inside)
                return std::nullopt; // only the first matching section counts
            inside = SameName(*name, section);
        } else if (inside) {
            if (const auto found = KeyOf(line->text); found && SameName(found->key, key))
                return std::string(Unquoted(found->value));
        }
    }
    return std::nullopt;
}

std::optional<std::string> SetValues(std::string_view file, const std::vector<IniEntry> &entries) {
    for (const IniEntry &entry : entries)
        if (Refused(Trimmed(entry.section), Trimmed(entry.key), entry.value))
            return std::nullopt;
    std::vector<WantedSection> wanted = Group(entries);

    WantedSection *current = nullptr;
    LineCursor lines(file, BodyStart(file));
    for (;;) {
        if (!current)
            lines.SkipToSection();
        const auto line = lines.Next();
        if (!line)
            break;
        if (const auto name = SectionName(line->text)) {
            current = nullptr;
            for (WantedSection &section : wanted) {
                if (!section.last && SameName(section.name, *name)) {
                    current = &section;
                    section.last = line;
                    break;
                }
            }
            continue;
        }
        if (!current || Trimmed(line->text).empty())
            continue;
        current->last = line;
        if (const auto found = KeyOf(line->text)) {
            for (WantedKey &key : current->keys) {
                if (SameName(key.key, found->key)) {
                    if (!key.line)
                        key.line = line;
                    break;
                }
            }
        }
    }

    const std::string_view eol = LineEndOf(file);
    std::vector<Edit> edits;
    for (const WantedSection &section : wanted) {
        if (!section.last)
            continue;
        std::string added;
        for (const WantedKey &key : section.keys) {
            if (key.line) {
                // The file's own spelling of the key stays, and so does its indentation.
                const std::string_view text = key.line->text;
                const size_t indent = text.find_first_not_of(" \t");
                edits.push_back({key.line->begin, key.line->end,
                                 std::string(text.substr(0, indent)) +
                                     std::string(KeyOf(text)->key) + "=" + std::string(key.value)});
            } else {
                added += std::string(key.key) + "=" + std::string(key.value);
                added += '\n'; // a placeholder for the line end, set below
            }
        }
        if (added.empty())
            continue;
        // After the section's last line that is not blank, so trailing blank lines stay behind
        // it, ending like that line: a CR of another style could join with a LF below.
        const Line &after = *section.last;
        const bool unended = after.next == after.end; // the file's last line
        const std::string_view ending =
            unended ? eol : file.substr(after.end, after.next - after.end);
        std::string text = unended ? std::string(eol) : std::string();
        for (const char c : added) {
            if (c == '\n')
                text += ending;
            else
                text += c;
        }
        edits.push_back(
            {unended ? after.end : after.next, unended ? after.end : after.next, std::move(text)});
    }
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit &a, const Edit &b) { return a.from < b.from; });

    size_t size = file.size();
    for (const Edit &edit : edits)
        size += edit.text.size();
    std::string result;
    result.reserve(size + 64);
    size_t at = 0;
    for (const Edit &edit : edits) {
        result.append(file.substr(at, edit.from - at));
        result += edit.text;
        at = edit.to;
    }
    result.append(file.substr(at));

    // Sections the file lacks go at its end, in the order asked for.
    for (const WantedSection &section : wanted) {
        if (section.last)
            continue;
        if (result.size() > BodyStart(result) && result.back() != '\n' && result.back() != '\r')
            result += eol;
        result += "[";
        result += section.name;
        result += "]";
        result += eol;
        for (const WantedKey &key : section.keys) {
            result += key.key;
            result += "=";
            result += key.value;
            result += eol;
        }
    }
    return result;
}

std::optional<std::string> SetValue(std::string_view file, std::string_view section,
                                    std::string_view key, std::string_view value) {
    return SetValues(file, {{std::string(section), std::string(key), std::string(value)}});
}
