#pragma once

#include "core/colour/ColourValue.h"

#include <span>
#include <string>
#include <string_view>

// One line of colour code Kalvor can write. The first entries are the window's format list,
// in its order: their ids are the list's indexes and the settings file's "Type" values.
struct CodeFormat {
    int id;
    std::string_view word;  // --format's value
    std::string_view label; // the list's text, empty for formats only --print writes
    bool hasCase;           // "大文字" chooses between upper and lower case
    std::string (*render)(ColourComponents); // upper case where the case applies
};

std::span<const CodeFormat> CodeFormats();
// The window's own list: the first entries of CodeFormats().
std::span<const CodeFormat> ListFormats();

// nullptr when no format has that word or id.
const CodeFormat *FormatByWord(std::string_view word);
const CodeFormat *FormatById(int id);

// The words, in table order, joined as a sentence: "html, hex, rgb, hsl, hsv or oklch".
std::string FormatWords();

// The code of colour in format; caseValue 0 lowers the letters of a format with a case.
std::string RenderCode(const CodeFormat &format, ColourValue colour, int caseValue);
