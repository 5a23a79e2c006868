#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The INI layout, on the file's raw bytes: [section] lines, key=value lines, ';' comments.
// Names match without regard to ASCII case and with blanks around them ignored; the first
// matching section, and the first matching key in it, wins. CRLF, LF and CR all end a line.

// The value of key in section, with blanks and one pair of outer quotes removed; nullopt
// when the section or the key is missing.
std::optional<QByteArray> LookupValue(const QByteArray &file, QByteArrayView section,
                                      QByteArrayView key);

// The file with key set to value in section: the key's line rewritten in place, or a new key
// line at the end of the section, or a new section at the end of the file. Every other byte
// stays as it was. nullopt when a name or the value would break the layout (a line break,
// NUL, '=' in a key, ']' in a section, or an empty name).
std::optional<QByteArray> SetValue(const QByteArray &file, QByteArrayView section,
                                   QByteArrayView key, QByteArrayView value);
