#pragma once

// Device colours through colord's profiles to sRGB, relative colorimetric, as LittleCMS's own
// calculator gives them (transicc -t1 -n, rounded; beyond sRGB's gamut, its nearest end): the
// answers every platform's colour engine is held to, within 1 per channel.
#include "core/colour/ColourValue.h"
#include "core/colour/ProfileConversion.h"
#include "unit/Testing.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace profiles {

#ifdef _WIN32
inline const std::string Folder = "Z:\\usr\\share\\color\\icc\\colord\\"; // wine's view of /
#else
inline const std::string Folder = "/usr/share/color/icc/colord/";
#endif

struct Reference {
    const char *file;
    ColourValue device;
    ColourValue srgb;
};

inline const Reference References[] = {
    {"AdobeRGB1998.icc", RGB(0x80, 0x40, 0xC8), RGB(146, 62, 205)},
    {"AdobeRGB1998.icc", RGB(255, 255, 255), RGB(255, 255, 255)},
    {"AdobeRGB1998.icc", RGB(255, 0, 0), RGB(255, 0, 0)},   // 295.3 red: beyond sRGB
    {"AdobeRGB1998.icc", RGB(10, 200, 30), RGB(0, 201, 0)}, // -765.0 red, -51.8 blue
    {"SwappedRedAndGreen.icc", RGB(255, 0, 0), RGB(1, 255, 0)},
    {"SwappedRedAndGreen.icc", RGB(10, 200, 30), RGB(200, 10, 30)},
    {"ProPhotoRGB.icc", RGB(0x80, 0x40, 0xC8), RGB(155, 52, 223)},
    {"WideGamutRGB.icc", RGB(0x80, 0x40, 0xC8), RGB(168, 0, 209)},
    {"sRGB.icc", RGB(10, 200, 30), RGB(11, 200, 30)},
};

inline std::vector<std::uint8_t> Bytes(const std::string &file) {
    std::ifstream in(Folder + file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Within 1 per channel: a rounding apart.
inline bool Near(ColourValue a, ColourValue b) {
    const ColourComponents x = SplitColour(a);
    const ColourComponents y = SplitColour(b);
    return std::abs(x.red - y.red) <= 1 && std::abs(x.green - y.green) <= 1 &&
           std::abs(x.blue - y.blue) <= 1;
}

// Each reference through `engine`: a transform, said to be fine, that lands within 1.
inline void CheckEngine(ProfileEngine &engine) {
    for (const Reference &row : References) {
        const std::vector<std::uint8_t> bytes = Bytes(row.file);
        CHECK(!bytes.empty());
        std::string problem;
        const auto transform = engine.TransformToSrgb(bytes, problem);
        CHECK(transform != nullptr);
        CHECK_EQ(problem, "");
        if (!transform)
            continue;
        const ColourValue got = transform->ToSrgb(row.device);
        CHECK(Near(got, row.srgb));
        if (!Near(got, row.srgb))
            FAIL_CHECK((std::string("  ") + row.file + ": got " + std::to_string(got) +
                        ", expected " + std::to_string(row.srgb)));
    }
}

} // namespace profiles
