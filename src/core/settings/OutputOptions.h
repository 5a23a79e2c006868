#pragma once

#include "core/colour/ColourValue.h"
#include "core/settings/IniMod.h"

#include <optional>
#include <string>

// The output options as the settings file stores them, each only when it holds a value the
// window can take: the upper-case box's 0, 1 or 2, and the format list's -1 to 2.
std::optional<int> StoredUpperCase(const IniMod &settings);
std::optional<int> StoredFormat(const IniMod &settings);

// The code of colour as --print writes it: in the asked format (an id of CodeFormats()) and
// case, or where either is negative, the window's from settings (with no format chosen there,
// the first entry).
std::string PrintedCode(IniMod &settings, ColourValue colour, int format, int upperCase);
