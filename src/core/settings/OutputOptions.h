#pragma once

#include "core/colour/ColourValue.h"
#include "core/history/PaletteFormats.h"
#include "core/settings/IniMod.h"

#include <optional>
#include <string>

// The upper-case box as the window is made: unchecked.
inline constexpr int DesignedUpperCase = 0;

// The box as start-up leaves it, for the window and --print alike: the stored 0, 1 or 2 (1 when
// nothing is stored); any other value leaves it as designed.
int RestoredUpperCase(const IniMod &settings);

// The format list's index as the settings file stores it, only when the list can take it: -1 to 2.
std::optional<int> StoredFormat(const IniMod &settings);

// The code of colour as --print writes it: in the asked format (an id of CodeFormats()) and
// case, or where either is negative, the window's from settings (with no format chosen there,
// the first entry).
std::string PrintedCode(IniMod &settings, ColourValue colour, int format, int upperCase);

// The window's code format and case, as the history's plain text is written outside the window.
CodeStyle StoredCodeStyle(IniMod &settings);
