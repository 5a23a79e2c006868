// The table of code formats: the window's list, the words of --format, and the forms only
// --print writes, checked against published reference values.
#include "Testing.h"

#include "core/colour/CodeFormats.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

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
// Then exact halves (hue 122.5 and 232.5, saturations 87.5%), which round up; a hue just under
// 360; near-blacks, whose components lie on sRGB's straight segment.
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
        {0, 24, 1, "hsl(123 100% 5%)", "hsv(123 100% 9%)", "oklch(0.181 0.059 143.7)"},
        {0, 1, 8, "hsl(233 100% 2%)", "hsv(233 100% 3%)", "oklch(0.075 0.033 261.2)"},
        {7, 7, 56, "hsl(240 78% 12%)", "hsv(240 88% 22%)", "oklch(0.178 0.091 272.2)"},
        {1, 1, 8, "hsl(240 78% 2%)", "hsv(240 88% 3%)", "oklch(0.079 0.030 277.0)"},
        {15, 1, 1, "hsl(0 88% 3%)", "hsv(0 93% 6%)", "oklch(0.112 0.037 25.5)"},
        {38, 0, 15, "hsl(336 100% 7%)", "hsv(336 100% 15%)", "oklch(0.174 0.071 0.0)"},
        {5, 0, 0, "hsl(0 100% 1%)", "hsv(0 100% 2%)", "oklch(0.072 0.030 29.2)"},
        {1, 1, 1, "hsl(0 0% 0%)", "hsv(0 0% 0%)", "oklch(0.067 0.000 0)"},
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

namespace {

// The three whole numbers of a text such as "hsl(123 45% 6%)"; false for any other shape.
bool ReadTriple(std::string_view text, std::string_view name, long long (&out)[3]) {
    if (!text.starts_with(name) || !text.substr(name.size()).starts_with('('))
        return false;
    const char *at = text.data() + name.size() + 1;
    const char *const end = text.data() + text.size();
    const std::string_view after[3] = {" ", "% ", "%)"};
    for (int i = 0; i < 3; ++i) {
        const auto [next, error] = std::from_chars(at, end, out[i]);
        if (error != std::errc() ||
            !std::string_view(next, static_cast<std::size_t>(end - next)).starts_with(after[i]))
            return false;
        at = next + after[i].size();
    }
    return at == end;
}

// Whether printed is value (num / den) times scale rounded to the nearest whole, a half up.
bool RoundsTo(long long printed, long long num, long long den, long long scale) {
    return den * (2 * printed - 1) <= 2 * scale * num && 2 * scale * num < den * (2 * printed + 1);
}

// The hexagonal hue in degrees as num / den, sector by sector from which component is largest
// and which smallest; a grey's is 0.
void ExactHue(long long r, long long g, long long b, long long &num, long long &den) {
    const long long hi = std::max({r, g, b}), lo = std::min({r, g, b});
    den = hi - lo;
    if (den == 0) {
        num = 0, den = 1;
        return;
    }
    if (r == hi && b == lo)
        num = 60 * (g - b); // red to yellow
    else if (g == hi && b == lo)
        num = 120 * den - 60 * (r - b); // yellow to green
    else if (g == hi && r == lo)
        num = 120 * den + 60 * (b - r); // green to cyan
    else if (b == hi && r == lo)
        num = 240 * den - 60 * (g - r); // cyan to blue
    else if (b == hi && g == lo)
        num = 240 * den + 60 * (r - g); // blue to magenta
    else
        num = 360 * den - 60 * (b - g); // magenta to red
}

} // namespace

// Every colour against exact fractions: each number printed is the exact value's nearest whole,
// halves upwards (a hue of 359.5 degrees wraps to 0).
TEST_CASE("hsl and hsv of every colour are the exact values rounded, halves upwards") {
    const CodeFormat &hslFormat = *FormatByWord("hsl");
    const CodeFormat &hsvFormat = *FormatByWord("hsv");
    long long wrong = 0;
    std::string first; // the first colour printed wrong, with its texts
    for (long long r = 0; r < 256; ++r)
        for (long long g = 0; g < 256; ++g)
            for (long long b = 0; b < 256; ++b) {
                const ColourValue colour =
                    RGB(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b));
                const std::string hsl = RenderCode(hslFormat, colour, 1);
                const std::string hsv = RenderCode(hsvFormat, colour, 1);
                long long l[3] = {}, v[3] = {};
                long long hueNum = 0, hueDen = 1;
                ExactHue(r, g, b, hueNum, hueDen);
                const long long hi = std::max({r, g, b}), lo = std::min({r, g, b});
                const long long sum = hi + lo;
                // HSL saturation: the spread over 1 - |2L - 1|, which is min(sum, 510 - sum) / 255.
                const long long room = std::min(sum, 510 - sum);
                const bool good = ReadTriple(hsl, "hsl", l) && ReadTriple(hsv, "hsv", v) &&
                                  l[0] == v[0] && l[0] >= 0 && l[0] < 360 &&
                                  (RoundsTo(l[0], hueNum, hueDen, 1) ||
                                   (l[0] == 0 && RoundsTo(360, hueNum, hueDen, 1))) &&
                                  (hi == lo ? l[1] == 0 : RoundsTo(l[1], hi - lo, room, 100)) &&
                                  RoundsTo(l[2], sum, 510, 100) &&
                                  (hi == 0 ? v[1] == 0 : RoundsTo(v[1], hi - lo, hi, 100)) &&
                                  RoundsTo(v[2], hi, 255, 100);
                if (!good && ++wrong == 1)
                    first = RenderCode(*FormatByWord("html"), colour, 1) + ": " + hsl + ", " + hsv;
            }
    CHECK_EQ(wrong, 0LL);
    CHECK_EQ(first, std::string());
}

int main(int argc, char **argv) {
    return doctest::Context(argc, argv).run();
}
