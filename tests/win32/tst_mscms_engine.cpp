// kalvor.exe's colour engine (the system's, under wine its LittleCMS-based mscms) against
// LittleCMS's own calculator on colord's profiles, and on bytes that are no profile.
#include "Testing.h"
#include "platform/win32/MscmsProfileEngine.h"
#include "support/ProfileReferences.h"

TEST_CASE("colord's profiles to sRGB through mscms, within 1 per channel of transicc") {
    MscmsProfileEngine engine;
    profiles::CheckEngine(engine);
}

TEST_CASE("bytes that are no profile give no transform through mscms, and say why") {
    const std::string text = "not a profile at all";
    const std::vector<std::uint8_t> rows[] = {
        {}, std::vector<std::uint8_t>(text.begin(), text.end()), std::vector<std::uint8_t>(128, 0)};
    MscmsProfileEngine engine;
    for (const auto &bytes : rows) {
        std::string problem;
        CHECK(engine.TransformToSrgb(bytes, problem) == nullptr);
        CHECK(!problem.empty());
    }
    CHECK(!StandardSrgbProfile().empty());
}

CHECK_MAIN
