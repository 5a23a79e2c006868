#pragma once

#include "core/colour/ProfileConversion.h"
#include "core/settings/IniMod.h"
#include "core/settings/Profile.h"

#include <optional>
#include <string_view>
#include <vector>

// What the numbers mean, as "[Colour] Space" keeps it (0 device values, 1 sRGB): a section of
// its own, so copies that know only the older keys read the file as before.
ColourSpace StoredColourSpace(const IniMod &settings);
std::vector<IniEntry> ColourEntries(ColourSpace space);

// The space --print takes: the asked one, or with none asked the window's.
ColourSpace PrintedColourSpace(const IniMod &settings, std::optional<ColourSpace> asked);

// The space a word of `--space` names: "device" or "srgb"; nullopt for any other.
std::optional<ColourSpace> ColourSpaceOfWord(std::string_view word);
