// What the numbers mean: the device's values, or sRGB through the monitor's colour profile.
#include "core/FenwoMain.h"

// Averaged on the device's values, then converted: the mean of converted colours would differ.
void FenwoMain::ShowSample() {
    const ColourValue device = AverageOf(square_, loupe_.sample);
    const ConvertedColour shown = conversion_.Convert(device, space_, square_.monitor,
                                                      square_.profile, desktop_.PixelsInSrgb());
    previewFromRead_ = true;
    ShowColor(shown.colour);
    shownSource_ = shown.source;
    ShowPreviewTip();
    if (!shown.problem.empty() && toldProblems_.insert(shown.problem).second)
        desktop_.Say(shown.problem);
}

void FenwoMain::ShowPreviewTip() {
    std::string tip(ControlOf(ControlId::Picture1).tip);
    if (!readProblem_.empty())
        tip = readProblem_;
    else if (!shownSource_.empty())
        tip += "\n" + shownSource_;
    if (tip == shownTip_)
        return;
    shownTip_ = tip;
    view_.ShowPreviewTip(shownTip_);
}

// The colour read last is shown again in the new space, held or not; a picked colour or a
// swatch stays as it is.
void FenwoMain::SetColourSpace(ColourSpace space) {
    space_ = space;
    if (previewFromRead_)
        ShowSample();
}
