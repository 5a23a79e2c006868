#include "core/settings/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

constexpr std::string_view ArabicDecimalSeparator = "\xD9\xAB"; // U+066B
constexpr std::string_view MinusSign = "\xE2\x88\x92";          // U+2212

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The digit a UTF-8 sequence at the front of text spells, with its length in bytes.
std::optional<std::pair<char, size_t>> DigitAt(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    if (text[0] >= '0' && text[0] <= '9')
        return std::pair{text[0], size_t{1}};
    if (text.size() < 2)
        return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[0]);
    const auto next = static_cast<unsigned char>(text[1]);
    // U+0660..U+0669 (Arabic-Indic) and U+06F0..U+06F9 (Persian): D9 A0..A9 and DB B0..B9.
    if (lead == 0xD9 && next >= 0xA0 && next <= 0xA9)
        return std::pair{static_cast<char>('0' + next - 0xA0), size_t{2}};
    if (lead == 0xDB && next >= 0xB0 && next <= 0xB9)
        return std::pair{static_cast<char>('0' + next - 0xB0), size_t{2}};
    return std::nullopt;
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The number in the plain form from_chars reads ("-12.5e3"), or nullopt when text is none.
std::optional<std::string> Normalised(std::string_view text) {
    std::string plain;
    if (StartsWith(text, "-") || StartsWith(text, "+")) {
        if (text[0] == '-')
            plain += '-';
        text.remove_prefix(1);
    } else if (StartsWith(text, MinusSign)) {
        plain += '-';
        text.remove_prefix(MinusSign.size());
    }
    bool digits = false;
    bool separator = false;
    while (!text.empty()) {
        if (const auto digit = DigitAt(text)) {
            plain += digit->first;
            text.remove_prefix(digit->second);
            digits = true;
        } else if (!separator && (text[0] == '.' || text[0] == ',')) {
            plain += '.';
            text.remove_prefix(1);
            separator = true;
        } else if (!separator && StartsWith(text, ArabicDecimalSeparator)) {
            plain += '.';
            text.remove_prefix(ArabicDecimalSeparator.size());
            separator = true;
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    if (!text.empty() && (text[0] == 'e' || text[0] == 'E')) {
        plain += 'e';
        text.remove_prefix(1);
        if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
            plain += text[0];
            text.remove_prefix(1);
        }
        bool exponent = false;
        while (!text.empty() && text[0] >= '0' && text[0] <= '9') {
            plain += text[0];
            text.remove_prefix(1);
            exponent = true;
        }
        if (!exponent)
            return std::nullopt;
    }
    if (!text.empty())
        return std::nullopt;
    return plain;
}

std::optional<double> ParseNumber(std::string_view text) {
    const auto plain = Normalised(Trimmed(text));
    if (!plain)
        return std::nullopt;
    double value = 0;
    const char *end = plain->data() + plain->size();
    const auto [at, error] = std::from_chars(plain->data(), end, value);
    if (error != std::errc() || at != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<float> ParseSingle(std::string_view text) {
    const auto value = ParseNumber(text);
    if (!value || std::fabs(*value) > 3.402823466e38)
        return std::nullopt;
    return static_cast<float>(*value);
}

std::optional<int> ParseInteger16(std::string_view text) {
    const auto value = ParseNumber(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value); // the default rounding: half to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<int>(rounded);
}

std::string SingleText(float value, std::string_view decimalSeparator) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      static_cast<double>(value), std::chars_format::general, 7);
    std::string text(buffer.data(), result.ptr);
    const bool known = decimalSeparator == "." || decimalSeparator == "," ||
                       decimalSeparator == ArabicDecimalSeparator;
    if (const size_t point = text.find('.'); point != std::string::npos && known)
        text.replace(point, 1, decimalSeparator);
    return text;
}
