// The table of code formats: the window's list, the words of --format, and the forms only
// --print writes, checked against published reference values.
#include "Testing.h"

#include "core/colour/CodeFormats.h"

#include <string>

TEST_CASE("the window's list is its three formats, in order, with the settings' ids") {
    const auto list = ListFormats();
    CHECK_EQ(list.size(), std::size_t{3});
    const char *labels[] = {"HTML色", "16進数", "カンマ区切り"};
    for (std::size_t i = 0; i < list.size() && i < 3; ++i) {
        CHECK_EQ(list[i].id, static_cast<int>(i));
        CHECK_EQ(std::string(list[i].label), std::string(labels[i]));
    }
    for (std::size_t i = 0; i < CodeFormats().size(); ++i) {
        const CodeFormat &format = CodeFormats()[i];
        CHECK_EQ(format.id, static_cast<int>(i));
        CHECK(FormatByWord(format.word) == &format);
        CHECK(FormatById(format.id) == &format);
        CHECK_EQ(format.label.empty(), i >= list.size());
    }
    CHECK(FormatByWord("HTML") == nullptr);
    CHECK(FormatByWord("") == nullptr);
    CHECK(FormatById(-1) == nullptr);
    CHECK(FormatById(static_cast<int>(CodeFormats().size())) == nullptr);
    CHECK_EQ(FormatWords(), std::string("html, hex, rgb, hsl, hsv or oklch"));
}

// hsl: CSS Color 4's named colours; oklch: CSS Color 4's sample conversions of the primaries.
TEST_CASE("hsl, hsv and oklch of reference colours") {
    const struct {
        int red, green, blue;
        const char *hsl, *hsv, *oklch;
    } rows[] = {
        {30, 105, 210, "hsl(215 75% 47%)", "hsv(215 86% 82%)", "oklch(0.537 0.177 258.3)"},
        {102, 51, 153, "hsl(270 50% 40%)", "hsv(270 67% 60%)", "oklch(0.440 0.160 303.4)"},
        {0, 128, 128, "hsl(180 100% 25%)", "hsv(180 100% 50%)", "oklch(0.543 0.093 194.8)"},
        {255, 0, 0, "hsl(0 100% 50%)", "hsv(0 100% 100%)", "oklch(0.628 0.258 29.2)"},
        {0, 255, 0, "hsl(120 100% 50%)", "hsv(120 100% 100%)", "oklch(0.866 0.295 142.5)"},
        {0, 0, 255, "hsl(240 100% 50%)", "hsv(240 100% 100%)", "oklch(0.452 0.313 264.1)"},
        {255, 0, 1, "hsl(0 100% 50%)", "hsv(0 100% 100%)", "oklch(0.628 0.258 29.2)"},
        {255, 255, 255, "hsl(0 0% 100%)", "hsv(0 0% 100%)", "oklch(1.000 0.000 0)"},
        {128, 128, 128, "hsl(0 0% 50%)", "hsv(0 0% 50%)", "oklch(0.600 0.000 0)"},
        {0, 0, 0, "hsl(0 0% 0%)", "hsv(0 0% 0%)", "oklch(0.000 0.000 0)"},
    };
    for (const auto &row : rows) {
        const ColourValue colour = RGB(row.red, row.green, row.blue);
        for (const int caseValue : {0, 1}) {
            CHECK_EQ(RenderCode(*FormatByWord("hsl"), colour, caseValue), std::string(row.hsl));
            CHECK_EQ(RenderCode(*FormatByWord("hsv"), colour, caseValue), std::string(row.hsv));
            CHECK_EQ(RenderCode(*FormatByWord("oklch"), colour, caseValue), std::string(row.oklch));
        }
    }
    CHECK_EQ(RenderCode(*FormatByWord("html"), RGB(30, 105, 210), 0), std::string("#1e69d2"));
    CHECK_EQ(RenderCode(*FormatByWord("oklch"), CLR_INVALID, 1), std::string());
}

int main(int argc, char **argv) {
    return doctest::Context(argc, argv).run();
}
