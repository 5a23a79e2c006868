#pragma once

#include "core/history/History.h"

#include <string>
#include <string_view>

// The history as a GIMP palette, the form it is kept in ("Kalvor.gpl") and one it is exported
// in: "GIMP Palette", "Name: Kalvor", "Columns: 0", then one "R G B<TAB>name" line a colour.

// The colours of a palette in order, with their names. Lines it cannot read (comments, the
// header, a line of two numbers, a component past 255) are skipped; a missing header, CRLF
// line ends and any spacing between the numbers are read as GIMP reads them.
History ReadGimpPalette(std::string_view text);

// A new palette of history.
std::string WriteGimpPalette(const History &history);

// The palette kept, rewritten to hold history: every line that is not a colour stays where it
// was, as it was; a colour line stays as written while the history still holds that colour
// with that name at that place in order; the others are dropped, and colours the kept
// text lacks are added at the end. A kept text without the header gets one.
std::string RewriteGimpPalette(std::string_view kept, const History &history);
