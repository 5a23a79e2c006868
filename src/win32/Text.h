#pragma once

#include <optional>
#include <string>
#include <string_view>

// The program keeps its texts in UTF-8; Windows takes UTF-16, and the profile functions the
// ANSI code page.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The text in the ANSI code page, or nullopt when a character has no place in it.
std::optional<std::string> ToAnsi(std::string_view utf8);
std::string FromAnsi(std::string_view ansi);
