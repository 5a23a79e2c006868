#pragma once

#include "core/history/History.h"

#include <span>
#include <string>
#include <string_view>

// The window's code style for a palette written as text: a format of CodeFormats() (or
// FormatNone, written as HTML) and the upper-case box's value.
struct CodeStyle {
    int format = 0;
    int upperCase = 1;
};

// One form the history can be written in: for the export dialog, for `kalvor --history`, or
// both. The first rows, those with a label, are the dialog's types, in its order.
struct PaletteFormat {
    std::string_view word;      // --format's value for --history; empty: the default, no word
    std::string_view label;     // the save dialog's type; empty: only --history writes it
    std::string_view extension; // without the dot
    bool binary;                // not for a terminal
    int code;                   // for a list of codes, the format of CodeFormats(); else -1
    std::string (*write)(const History &history, const CodeStyle &style);
};

// The palette formats, then one list of codes a line for each code format.
std::span<const PaletteFormat> PaletteFormats();
// The export dialog's types: the first rows.
std::span<const PaletteFormat> ExportFormats();
// nullptr when no format has that word; the empty word is the window's plain text.
const PaletteFormat *PaletteFormatByWord(std::string_view word);
// "gpl|css|json|ase|html|hex|rgb|hsl|hsv|oklch".
std::string PaletteWords(std::string_view separator);

// The bytes of history in format; a list of codes is in the row's code format, or else the
// window's style, with its case.
std::string WritePalette(const PaletteFormat &format, const History &history,
                         const CodeStyle &style);

// UTF-8 as UTF-16 code units, a character outside the basic plane as a surrogate pair; a
// malformed byte as U+FFFD.
std::u16string Utf16(std::string_view utf8);
