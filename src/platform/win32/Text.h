#pragma once

#include <string>
#include <string_view>

// The program keeps its texts in UTF-8; Windows takes UTF-16. Paths cross only through these:
// the narrow forms of the C and C++ libraries read UTF-8 as the ANSI code page.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// What the system says of an error code, in UTF-8, with the code.
std::string SystemMessage(unsigned long error);

// The text in the ANSI code page, for programs that paste only that; characters it lacks
// become what the system puts for them. Never for a path or a settings value.
std::string ToAnsiCodePage(std::string_view utf8);
