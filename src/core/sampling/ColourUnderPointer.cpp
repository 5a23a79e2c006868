#include "core/sampling/ColourUnderPointer.h"

PointerColour ColourUnderPointer(ScreenReader &screen, int sampleSide, std::string_view noPointer) {
    const auto pointer = screen.GetCursorPos();
    if (!pointer)
        return {CLR_INVALID, std::string(noPointer)};
    const ColourValue colour = AverageOf(
        screen.ReadSquare(screen.GetDesktopWindow(), *pointer, sampleSide / 2), sampleSide);
    if (colour == CLR_INVALID)
        return {CLR_INVALID, "the pixel under the pointer cannot be read"};
    return {colour, {}};
}
