// What the numbers mean: the device's values, or sRGB through the monitor's colour profile.
#include "core/FenwoMain.h"

// Averaged on the device's values, then converted: the mean of converted colours would differ.
void FenwoMain::ShowSample() {
    const ColourValue device = AverageOf(square_, loupe_.sample);
    const ConvertedColour shown = conversion_.Convert(device, space_, square_.monitor,
                                                      square_.profile, desktop_.PixelsInSrgb());
    previewFromRead_ = true;
    ShowColor(shown.colour);
    if (shown.source != shownSource_) {
        shownSource_ = shown.source;
        view_.ShowColourSource(shownSource_);
    }
    if (!shown.problem.empty() && toldProblems_.insert(shown.problem).second)
        desktop_.Say(shown.problem);
}

// The colour read last is shown again in the new space, held or not; a picked colour or a
// swatch stays as it is.
void FenwoMain::SetColourSpace(ColourSpace space) {
    space_ = space;
    if (previewFromRead_)
        ShowSample();
}
