#include "core/sampling/ColourUnderPointer.h"

PointerColour ColourUnderPointer(ScreenReader &screen, std::string_view noPointer) {
    const auto pointer = screen.GetCursorPos();
    if (!pointer)
        return {CLR_INVALID, std::string(noPointer)};
    const ColourValue colour = screen.GetPixel(screen.GetDesktopWindow(), *pointer);
    if (colour == CLR_INVALID)
        return {CLR_INVALID, "the pixel under the pointer cannot be read"};
    return {colour, {}};
}
