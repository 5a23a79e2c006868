#pragma once

#include "core/colour/ProfileConversion.h"
#include "core/loupe/LoupeSettings.h"
#include "core/window/MenuEntry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The preview's right-click menu: the loupe on or off, its zoom, the sample's size, and what
// the numbers are (device values or sRGB). Both front-ends show these entries as they come and
// hand the chosen command back to FenwoMain::PreviewMenu_Click.

std::vector<MenuEntry> LoupeMenu(const LoupeSettings &loupe, ColourSpace space);

// The space a command of the menu chooses; nullopt for the loupe's commands and unknown ones.
std::optional<ColourSpace> SpaceOfMenuCommand(int command);

// The settings after a command of the menu; an unknown command changes nothing.
LoupeSettings AfterMenuCommand(LoupeSettings loupe, int command);

// The settings after the wheel turned the zoom by steps, held within its range.
LoupeSettings ZoomedBy(LoupeSettings loupe, int steps);

// What the menu and the panel call a sample side: "1 ピクセル", "3×3 平均", "5×5 平均".
std::string SampleWords(int side);
// What they call a zoom: "8 倍".
std::string ZoomWords(int zoom);
