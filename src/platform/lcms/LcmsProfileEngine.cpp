#include "platform/lcms/LcmsProfileEngine.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>

namespace {

// The library's complaint about the profile it was last given, for the user.
void KeepError(cmsContext context, cmsUInt32Number, const char *text) {
    auto *problem = static_cast<std::string *>(cmsGetContextUserData(context));
    if (problem && problem->empty() && text)
        *problem = text;
}

class LcmsTransform final : public ProfileTransform {
  public:
    LcmsTransform(cmsContext context, cmsHTRANSFORM transform)
        : context_(context), transform_(transform) {}
    ~LcmsTransform() override {
        cmsDeleteTransform(transform_);
        cmsDeleteContext(context_);
    }
    LcmsTransform(const LcmsTransform &) = delete;
    LcmsTransform &operator=(const LcmsTransform &) = delete;

    ColourValue ToSrgb(ColourValue device) override {
        const ColourComponents in = SplitColour(device);
        const double from[3] = {in.red / 255.0, in.green / 255.0, in.blue / 255.0};
        double to[3] = {};
        cmsDoTransform(transform_, from, to, 1);
        // Beyond sRGB's gamut the values run past its ends: the nearest it has.
        const auto channel = [](double value) {
            return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
        };
        return RGB(channel(to[0]), channel(to[1]), channel(to[2]));
    }

  private:
    cmsContext context_;
    cmsHTRANSFORM transform_;
};

} // namespace

std::unique_ptr<ProfileTransform>
LcmsProfileEngine::TransformToSrgb(std::span<const std::uint8_t> bytes, std::string &problem) {
    problem.clear();
    // A context of its own: the error handler writes into this call's problem only.
    cmsContext context = cmsCreateContext(nullptr, &problem);
    if (!context) {
        problem = "LittleCMS could not start";
        return nullptr;
    }
    cmsSetLogErrorHandlerTHR(context, KeepError);
    cmsHPROFILE display =
        cmsOpenProfileFromMemTHR(context, bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
    cmsHTRANSFORM transform = nullptr;
    if (!display) {
        if (problem.empty())
            problem = "not an ICC profile";
    } else if (cmsGetColorSpace(display) != cmsSigRgbData) {
        problem = "not a profile of RGB values";
    } else if (cmsHPROFILE srgb = cmsCreate_sRGBProfileTHR(context)) {
        transform = cmsCreateTransformTHR(context, display, TYPE_RGB_DBL, srgb, TYPE_RGB_DBL,
                                          INTENT_RELATIVE_COLORIMETRIC, 0);
        cmsCloseProfile(srgb);
        if (!transform && problem.empty())
            problem = "LittleCMS cannot convert from it";
    }
    if (display)
        cmsCloseProfile(display);
    if (!transform) {
        cmsDeleteContext(context);
        return nullptr;
    }
    // From here on the context's errors have no one to tell.
    cmsSetLogErrorHandlerTHR(context, nullptr);
    return std::make_unique<LcmsTransform>(context, transform);
}
