#pragma once

#include <QString>
#include <optional>

// Number texts of the settings file, read the way they were written: in the user's locale,
// with blanks around them allowed. Texts in the C locale are accepted too, so a file written
// under another locale still reads.

// A single-precision number, or nullopt for a text that is not a finite number.
std::optional<float> ParseSingle(const QString &text);

// Rounded to the nearest integer, a half to the even neighbour (1.5 and 2.5 both give 2);
// nullopt outside -32768..32767 or for a text that is not a number.
std::optional<int> ParseInteger16(const QString &text);

// At most 7 significant digits, no group separators, a decimal separator only for a
// fractional part.
QString SingleText(float value);
