// Number texts of the settings file, both ways, whatever locale wrote them.
#include "Testing.h"
#include "core/settings/NumberText.h"

#include <cmath>
#include <optional>
#include <string>

namespace {
const std::string ArabicSeparator = "\xD9\xAB"; // U+066B
}

TEST_CASE("16-bit integers: rounding half to even, range, and what is no number") {
    const struct {
        const char *text;
        std::optional<int> value;
    } rows[] = {
        {"1", 1},
        {"-1", -1},
        {"  2 \t", 2},
        {"1.5", 2}, // half to even, up
        {"2.5", 2}, // and down
        {"0.5", 0},
        {"-0.5", 0},
        {"0.51", 1},
        {"2,5", 2}, // a decimal comma
        {"-32768", -32768},
        {"32767", 32767},
        {"-32768.5", -32768}, // its even neighbour is still in range
        {"32767.5", std::nullopt},
        {"-32769", std::nullopt},
        {"40000", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"1x", std::nullopt},
        {"1 2", std::nullopt},
        {"--1", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"yes", std::nullopt},
    };
    for (const auto &row : rows)
        CHECK_EQ(ParseInteger16(row.text).value_or(99999), row.value.value_or(99999));
}

TEST_CASE("singles written by any locale read back") {
    const struct {
        const char *text;
        std::optional<float> value;
    } rows[] = {
        {"900", 900.0f},
        {" 900 ", 900.0f},
        {"-1234", -1234.0f},
        {"757.5", 757.5f},
        {"-12.5", -12.5f},
        {"-12,5", -12.5f},
        {"-12\xD9\xAB"
         "5",
         -12.5f},
        {"\xD9\xA1\xD9\xA2", 12.0f},                 // Arabic-Indic digits
        {"\xDB\xB1\xDB\xB2\xD9\xAB\xDB\xB5", 12.5f}, // Persian digits
        {"\xD9\xA9\xD9\xA0", 90.0f},                 // the first and last of each set
        {"\xDB\xB9\xDB\xB0", 90.0f},
        {"\xE2\x88\x92"
         "45",
         -45.0f}, // typographic minus
        {"1e30", 1e30f},
        {"", std::nullopt},
        {"left", std::nullopt},
        {"1e39", std::nullopt}, // beyond single precision
        {"1,2,3", std::nullopt},
        {"1 234", std::nullopt},
        {"-", std::nullopt},
    };
    for (const auto &row : rows)
        CHECK_EQ(ParseSingle(row.text).value_or(-7.0f), row.value.value_or(-7.0f));
}

TEST_CASE("single texts: ASCII digits, leading minus, no group separator") {
    const struct {
        float value;
        const char *dot;
        const char *comma;
    } rows[] = {
        {900, "900", "900"},
        {-45, "-45", "-45"},
        {0, "0", "0"},
        {491505, "491505", "491505"},
        {1234567, "1234567", "1234567"},
        {757.5f, "757.5", "757,5"},
        {-0.25f, "-0.25", "-0,25"},
        {1.0f / 3, "0.3333333", "0,3333333"}, // seven significant digits, no more
    };
    for (const auto &row : rows) {
        CHECK_EQ(SingleText(row.value), row.dot);
        CHECK_EQ(SingleText(row.value, ","), row.comma);
        CHECK_EQ(SingleText(row.value, "x"), row.dot); // a separator no reader would know
        CHECK_EQ(SingleText(row.value, ""), row.dot);
    }
    CHECK_EQ(SingleText(-12.5f, ArabicSeparator), "-12" + ArabicSeparator + "5");
}

TEST_CASE("every single written with any separator reads back") {
    const float values[] = {0,        900,       -45,    757.5f,   -0.5f,         1234567,
                            12345678, -491505,   0.1f,   1e30f,    -3.402823e38f, 1e-20f,
                            32767.5f, -32768.5f, 1.5e7f, 65535.25f};
    for (const std::string separator : {".", ",", "\xD9\xAB", "x"}) {
        for (const float value : values) {
            const std::string text = SingleText(value, separator);
            const auto back = ParseSingle(text);
            CHECK(back.has_value());
            // Seven significant digits: exact for positions, within a unit of the 7th digit.
            CHECK(std::fabs(back.value_or(NAN) - value) <= std::fabs(value) * 1e-6f);
            const std::string written = separator == "x" ? "." : separator;
            std::string rest = text.substr(text[0] == '-' ? 1 : 0);
            if (const size_t at = rest.find(written); at != std::string::npos)
                rest.erase(at, written.size());
            for (size_t i = 0; i < rest.size(); ++i) {
                const bool sign = (rest[i] == '-' || rest[i] == '+') && i > 0 && rest[i - 1] == 'e';
                CHECK(((rest[i] >= '0' && rest[i] <= '9') || rest[i] == 'e' || sign));
            }
        }
    }
}

CHECK_MAIN
