#include "platform/win32/MscmsProfileEngine.h"

#include <windows.h>

#include <icm.h>

#include <vector>

namespace {

// The headers spell these as multi-character constants, which the warnings refuse.
constexpr DWORD StandardSrgb = 0x73524742; // LCS_sRGB, 'sRGB'
constexpr DWORD RgbData = 0x52474220;      // SPACE_RGB, 'RGB '

class MscmsTransform final : public ProfileTransform {
  public:
    explicit MscmsTransform(HTRANSFORM transform) : transform_(transform) {}
    ~MscmsTransform() override { DeleteColorTransform(transform_); }
    MscmsTransform(const MscmsTransform &) = delete;
    MscmsTransform &operator=(const MscmsTransform &) = delete;

    ColourValue ToSrgb(ColourValue device) override {
        const ColourComponents in = SplitColour(device);
        COLOR from{};
        from.rgb.red = static_cast<WORD>(in.red * 257);
        from.rgb.green = static_cast<WORD>(in.green * 257);
        from.rgb.blue = static_cast<WORD>(in.blue * 257);
        COLOR to{};
        if (!TranslateColors(transform_, &from, 1, COLOR_RGB, &to, COLOR_RGB))
            return device;
        const auto channel = [](WORD value) { return (value * 255 + 32767) / 65535; };
        return static_cast<ColourValue>(
            RGB(channel(to.rgb.red), channel(to.rgb.green), channel(to.rgb.blue)));
    }

  private:
    HTRANSFORM transform_;
};

HPROFILE OpenInMemory(std::span<const std::uint8_t> bytes) {
    PROFILE profile{PROFILE_MEMBUFFER, const_cast<std::uint8_t *>(bytes.data()),
                    static_cast<DWORD>(bytes.size())};
    return OpenColorProfileW(&profile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

} // namespace

std::wstring StandardSrgbProfile() {
    std::vector<wchar_t> path(MAX_PATH + 1);
    DWORD size = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    if (!GetStandardColorSpaceProfileW(nullptr, StandardSrgb, path.data(), &size))
        return {};
    return path.data();
}

std::unique_ptr<ProfileTransform>
MscmsProfileEngine::TransformToSrgb(std::span<const std::uint8_t> bytes, std::string &problem) {
    problem.clear();
    if (bytes.size() < 128) {
        problem = "not an ICC profile";
        return nullptr;
    }
    HPROFILE display = OpenInMemory(bytes);
    if (!display) {
        problem = "not an ICC profile the system's colour engine can read";
        return nullptr;
    }
    PROFILEHEADER header{};
    const bool rgb = GetColorProfileHeader(display, &header) && header.phDataColorSpace == RgbData;
    std::wstring srgbPath = StandardSrgbProfile();
    PROFILE srgbFile{PROFILE_FILENAME, srgbPath.data(),
                     static_cast<DWORD>((srgbPath.size() + 1) * sizeof(wchar_t))};
    HPROFILE srgb = rgb && !srgbPath.empty()
                        ? OpenColorProfileW(&srgbFile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING)
                        : nullptr;
    HTRANSFORM transform = nullptr;
    if (!rgb) {
        problem = "not a profile of RGB values";
    } else if (!srgb) {
        problem = "the system has no sRGB profile to convert to";
    } else {
        HPROFILE pair[2] = {display, srgb};
        DWORD intents[1] = {INTENT_RELATIVE_COLORIMETRIC};
        transform = CreateMultiProfileTransform(pair, 2, intents, 1, BEST_MODE, INDEX_DONT_CARE);
        if (!transform)
            problem = "the system's colour engine cannot convert from it";
    }
    if (srgb)
        CloseColorProfile(srgb);
    CloseColorProfile(display);
    if (!transform)
        return nullptr;
    return std::make_unique<MscmsTransform>(transform);
}
