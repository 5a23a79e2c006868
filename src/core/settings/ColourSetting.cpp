#include "core/settings/ColourSetting.h"

#include "core/settings/NumberText.h"

ColourSpace StoredColourSpace(const IniMod &settings) {
    const auto space = ParseInteger16(settings.ReadIni("Colour", "Space", "0"));
    return space && *space == 1 ? ColourSpace::Srgb : ColourSpace::Device;
}

std::vector<IniEntry> ColourEntries(ColourSpace space) {
    return {{"Colour", "Space", space == ColourSpace::Srgb ? "1" : "0"}};
}

ColourSpace PrintedColourSpace(const IniMod &settings, std::optional<ColourSpace> asked) {
    return asked ? *asked : StoredColourSpace(settings);
}

std::optional<ColourSpace> ColourSpaceOfWord(std::string_view word) {
    if (word == "device")
        return ColourSpace::Device;
    if (word == "srgb")
        return ColourSpace::Srgb;
    return std::nullopt;
}
