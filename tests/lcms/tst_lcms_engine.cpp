// The Linux colour engine against LittleCMS's own calculator, on colord's profiles, and on
// bytes that are no profile.
#include "platform/lcms/LcmsProfileEngine.h"
#include "support/ProfileReferences.h"
#include "unit/Testing.h"

TEST_CASE("colord's profiles to sRGB as transicc converts them, within 1 per channel") {
    LcmsProfileEngine engine;
    profiles::CheckEngine(engine);
}

TEST_CASE("bytes that are no RGB display profile give no transform, and say why") {
    std::vector<std::uint8_t> cut = profiles::Bytes("AdobeRGB1998.icc");
    cut.resize(200);
    const std::string text = "not a profile at all";
    const struct {
        std::vector<std::uint8_t> bytes;
    } rows[] = {
        {{}},
        {std::vector<std::uint8_t>(text.begin(), text.end())},
        {std::vector<std::uint8_t>(128, 0)},
        {cut},
    };
    LcmsProfileEngine engine;
    for (const auto &row : rows) {
        std::string problem;
        CHECK(engine.TransformToSrgb(row.bytes, problem) == nullptr);
        CHECK(!problem.empty());
    }
}

CHECK_MAIN
