#include "core/sampling/ColourUnderPointer.h"

PointerColour ColourUnderPointer(ScreenReader &screen, int sampleSide, std::string_view noPointer,
                                 ColourSpace space, ProfileEngine *engine) {
    const auto pointer = screen.GetCursorPos();
    if (!pointer)
        return {CLR_INVALID, std::string(noPointer), {}};
    const PixelSquare square =
        screen.ReadSquare(screen.GetDesktopWindow(), *pointer, sampleSide / 2);
    const ColourValue device = AverageOf(square, sampleSide);
    if (device == CLR_INVALID)
        return {CLR_INVALID, "the pixel under the pointer cannot be read", {}};
    ProfileConversion conversion(engine);
    ConvertedColour shown =
        conversion.Convert(device, space, square.monitor, square.profile, screen.PixelsInSrgb());
    return {shown.colour, {}, std::move(shown.problem)};
}
