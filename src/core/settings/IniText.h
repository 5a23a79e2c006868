#pragma once

#include "core/settings/Profile.h"

#include <optional>
#include <string>
#include <string_view>

// The INI layout, on the file's raw bytes: [section] lines, key=value lines, ';' comments.
// Names match without regard to ASCII case and with blanks around them ignored; the first
// matching section, and the first matching key in it, wins. CRLF, LF and CR all end a line.
// A UTF-8 byte-order mark at the very start belongs to no line, and is kept.

// The value of key in section, with blanks and one pair of outer quotes removed; nullopt
// when the section or the key is missing.
std::optional<std::string> LookupValue(std::string_view file, std::string_view section,
                                       std::string_view key);

// The file with key set to value in section: the key's line rewritten in place, or a new key
// line at the end of the section, or a new section at the end of the file. Every other byte
// stays as it was. nullopt when a name or the value would break the layout (a line break,
// NUL, '=' in a key, ']' in a section, or an empty name).
std::optional<std::string> SetValue(std::string_view file, std::string_view section,
                                    std::string_view key, std::string_view value);

// Every entry set in one pass over the file, the same as setting them one after another; nothing
// when any one of them would break the layout.
std::optional<std::string> SetValues(std::string_view file, const std::vector<IniEntry> &entries);
