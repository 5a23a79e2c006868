#include "core/colour/Contrast.h"

#include "core/colour/CodeFormats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace {

std::string Fixed(double value, int decimals) {
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                   std::chars_format::fixed, decimals)
                         .ptr;
    std::string fixed(text.data(), end);
    if (fixed.starts_with('-') && fixed.find_first_not_of("-0.") == std::string::npos)
        fixed.erase(0, 1); // no "-0.0"
    return fixed;
}

std::string Html(ColourValue colour) {
    return RenderCode(*FormatByWord("html"), colour, 1);
}

// WCAG 2's relative luminance: sRGB's transfer undone.
double RelativeLuminance(ColourValue colour) {
    const ColourComponents c = SplitColour(colour);
    const auto linear = [](int component) {
        const double v = component / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

// APCA 0.0.98G's screen luminance: a plain 2.4 power, near-black softly clamped.
double ApcaLuminance(ColourValue colour) {
    const ColourComponents c = SplitColour(colour);
    const auto power = [](int component) { return std::pow(component / 255.0, 2.4); };
    double y = 0.2126729 * power(c.red) + 0.7151522 * power(c.green) + 0.0721750 * power(c.blue);
    constexpr double blackThreshold = 0.022;
    if (y < blackThreshold)
        y += std::pow(blackThreshold - y, 1.414);
    return y;
}

double ApcaLightness(ColourValue text, ColourValue ground) {
    const double yText = ApcaLuminance(text);
    const double yGround = ApcaLuminance(ground);
    if (std::abs(yGround - yText) < 0.0005)
        return 0.0;
    constexpr double scale = 1.14;
    constexpr double offset = 0.027;
    constexpr double clip = 0.1;
    if (yGround > yText) {
        const double sapc = (std::pow(yGround, 0.56) - std::pow(yText, 0.57)) * scale;
        return sapc < clip ? 0.0 : (sapc - offset) * 100.0;
    }
    const double sapc = (std::pow(yGround, 0.65) - std::pow(yText, 0.62)) * scale;
    return sapc > -clip ? 0.0 : (sapc + offset) * 100.0;
}

std::optional<int> Component(std::string_view text, int base) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 255)
        return std::nullopt;
    return value;
}

} // namespace

std::string Contrast::RatioText() const {
    return Fixed(ratio, 2) + ":1";
}

std::string Contrast::LightnessText() const {
    return Fixed(lightness, 1);
}

Contrast ContrastOf(ColourValue text, ColourValue ground) {
    const double a = RelativeLuminance(text);
    const double b = RelativeLuminance(ground);
    const double ratio = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    return {ratio, ratio >= 4.5, ratio >= 7.0, ApcaLightness(text, ground)};
}

std::optional<ColourValue> ParseColourArgument(std::string_view text) {
    if (const std::size_t comma = text.find(','); comma != std::string_view::npos) {
        const std::size_t second = text.find(',', comma + 1);
        if (second == std::string_view::npos)
            return std::nullopt;
        const auto red = Component(text.substr(0, comma), 10);
        const auto green = Component(text.substr(comma + 1, second - comma - 1), 10);
        const auto blue = Component(text.substr(second + 1), 10);
        if (!red || !green || !blue)
            return std::nullopt;
        return RGB(*red, *green, *blue);
    }
    if (text.starts_with('#'))
        text.remove_prefix(1);
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != text.npos)
        return std::nullopt;
    return RGB(*Component(text.substr(0, 2), 16), *Component(text.substr(2, 2), 16),
               *Component(text.substr(4, 2), 16));
}

std::string ContrastReport(ColourValue text, ColourValue ground) {
    const Contrast contrast = ContrastOf(text, ground);
    const auto verdict = [](bool pass) { return pass ? "pass" : "fail"; };
    return Html(text) + " on " + Html(ground) + "\nWCAG 2 contrast ratio " + contrast.RatioText() +
           ": AA " + verdict(contrast.aa) + ", AAA " + verdict(contrast.aaa) +
           " (normal text)\nAPCA Lc " + contrast.LightnessText() + '\n';
}

std::string SwatchTip(std::string_view name, ColourValue swatch, std::optional<ColourValue> held) {
    std::string tip = name.empty() ? Html(swatch) : std::string(name);
    if (!held || *held == CLR_INVALID || IsSystemColour(*held) || IsSystemColour(swatch))
        return tip;
    const Contrast contrast = ContrastOf(*held, swatch);
    const auto verdict = [](bool pass) { return pass ? "合格" : "不合格"; };
    return tip + "\n" + Html(*held) + " の文字と: " + contrast.RatioText() + "  AA " +
           verdict(contrast.aa) + "  AAA " + verdict(contrast.aaa) + "\nAPCA Lc " +
           contrast.LightnessText();
}
