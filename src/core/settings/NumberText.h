#pragma once

#include <optional>
#include <string>
#include <string_view>

// Number texts of the settings file. Written in ASCII digits with a leading '-' and, only for a
// fractional part, the user's decimal separator; read back whatever locale wrote them: a
// decimal point or comma (or the Arabic decimal separator), ASCII, Arabic-Indic or Persian
// digits, and an ASCII or typographic minus. Blanks around the number are allowed.

// A single-precision number, or nullopt for a text that is not a finite number.
std::optional<float> ParseSingle(std::string_view text);

// Rounded to the nearest integer, a half to the even neighbour (1.5 and 2.5 both give 2);
// nullopt outside -32768..32767 or for a text that is not a number.
std::optional<int> ParseInteger16(std::string_view text);

// At most 7 significant digits, no group separators. decimalSeparator is the user's (UTF-8);
// one the reader would not know again is written as '.'.
std::string SingleText(float value, std::string_view decimalSeparator = ".");
