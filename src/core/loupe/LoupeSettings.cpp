#include "core/loupe/LoupeSettings.h"

#include "core/settings/NumberText.h"

#include <algorithm>
#include <string>

bool IsSampleSide(int side) {
    return std::ranges::find(SampleSides, side) != SampleSides.end();
}

LoupeSettings StoredLoupe(const IniMod &settings) {
    LoupeSettings loupe;
    const auto visible = ParseInteger16(settings.ReadIni("Loupe", "Visible", "0"));
    if (visible && (*visible == 0 || *visible == 1))
        loupe.visible = *visible == 1;
    const auto zoom = ParseInteger16(settings.ReadIni("Loupe", "Zoom", "8"));
    if (zoom && *zoom >= LoupeSettings::MinZoom && *zoom <= LoupeSettings::MaxZoom)
        loupe.zoom = *zoom;
    const auto sample = ParseInteger16(settings.ReadIni("Loupe", "Sample", "1"));
    if (sample && IsSampleSide(*sample))
        loupe.sample = *sample;
    return loupe;
}

std::vector<IniEntry> LoupeEntries(const LoupeSettings &loupe) {
    return {{"Loupe", "Visible", loupe.visible ? "1" : "0"},
            {"Loupe", "Zoom", std::to_string(loupe.zoom)},
            {"Loupe", "Sample", std::to_string(loupe.sample)}};
}

int PrintedSampleSide(const IniMod &settings, int asked) {
    return IsSampleSide(asked) ? asked : StoredLoupe(settings).sample;
}
