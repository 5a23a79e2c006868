#pragma once

#include "core/settings/IniMod.h"
#include "core/settings/Profile.h"

#include <array>
#include <vector>

// The sides the averaged sample may take, smallest first: the menu's choices, the stored values
// and --average's.
inline constexpr std::array SampleSides{1, 3, 5};

// The loupe panel and the averaged sample, as "[Loupe]" in the settings file keeps them: a
// section of their own, so copies that know only the older keys read the file as before.
struct LoupeSettings {
    static constexpr int MinZoom = 2;
    static constexpr int MaxZoom = 16;

    bool visible = false;
    int zoom = 8;   // screen pixels are drawn as blocks this many window pixels wide
    int sample = 1; // the side of the averaged square, one of SampleSides

    bool operator==(const LoupeSettings &) const = default;
};

// One of SampleSides.
bool IsSampleSide(int side);

// Each key that holds a value the window can take, else its default.
LoupeSettings StoredLoupe(const IniMod &settings);
std::vector<IniEntry> LoupeEntries(const LoupeSettings &loupe);

// The sample --print takes: the asked side, or with none asked (0) the window's.
int PrintedSampleSide(const IniMod &settings, int asked);
