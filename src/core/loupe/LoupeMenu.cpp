#include "core/loupe/LoupeMenu.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr int ToggleLoupe = 1;
constexpr int ZoomBase = 100;   // + the zoom
constexpr int SampleBase = 200; // + the side
constexpr int SpaceBase = 300;  // + "[Colour] Space"

constexpr std::array ZoomChoices{2, 3, 4, 6, 8, 12, 16};

} // namespace

std::string SampleWords(int side) {
    if (side <= 1)
        return "1 ピクセル";
    const std::string n = std::to_string(side);
    return n + "×" + n + " 平均";
}

std::string ZoomWords(int zoom) {
    return std::to_string(zoom) + " 倍";
}

std::vector<MenuEntry> LoupeMenu(const LoupeSettings &loupe, ColourSpace space) {
    std::vector<MenuEntry> entries{{ToggleLoupe, "ルーペ", loupe.visible}, {}};
    for (const int zoom : ZoomChoices)
        entries.push_back({ZoomBase + zoom, ZoomWords(zoom), zoom == loupe.zoom});
    entries.push_back({});
    for (const int side : SampleSides)
        entries.push_back({SampleBase + side, SampleWords(side), side == loupe.sample});
    entries.push_back({});
    entries.push_back({SpaceBase + static_cast<int>(ColourSpace::Device), "デバイス値",
                       space == ColourSpace::Device});
    entries.push_back({SpaceBase + static_cast<int>(ColourSpace::Srgb), "sRGB (プロファイル変換)",
                       space == ColourSpace::Srgb});
    return entries;
}

std::optional<ColourSpace> SpaceOfMenuCommand(int command) {
    if (command == SpaceBase + static_cast<int>(ColourSpace::Device))
        return ColourSpace::Device;
    if (command == SpaceBase + static_cast<int>(ColourSpace::Srgb))
        return ColourSpace::Srgb;
    return std::nullopt;
}

LoupeSettings AfterMenuCommand(LoupeSettings loupe, int command) {
    if (command == ToggleLoupe)
        loupe.visible = !loupe.visible;
    else if (std::ranges::find(ZoomChoices, command - ZoomBase) != ZoomChoices.end())
        loupe.zoom = command - ZoomBase;
    else if (IsSampleSide(command - SampleBase))
        loupe.sample = command - SampleBase;
    return loupe;
}

LoupeSettings ZoomedBy(LoupeSettings loupe, int steps) {
    loupe.zoom = std::clamp(loupe.zoom + steps, LoupeSettings::MinZoom, LoupeSettings::MaxZoom);
    return loupe;
}
