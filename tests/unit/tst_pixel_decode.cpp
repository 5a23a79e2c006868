// Screen pixels of any true-colour depth decoded to 0x00BBGGRR, and the Space key's latch.
#include "Testing.h"
#include "core/sampling/KeyState.h"
#include "core/sampling/PixelDecode.h"

#include <cstdint>

TEST_CASE("pixels of every depth decode to the same colour") {
    const PixelMasks rgb24{0xFF0000, 0x00FF00, 0x0000FF};
    const PixelMasks bgr24{0x0000FF, 0x00FF00, 0xFF0000};
    const PixelMasks rgb565{0xF800, 0x07E0, 0x001F};
    const PixelMasks rgb555{0x7C00, 0x03E0, 0x001F};
    const PixelMasks rgb30{0x3FF00000, 0x000FFC00, 0x000003FF};
    const struct {
        PixelMasks masks;
        std::uint32_t pixel;
        std::uint32_t colour;
    } rows[] = {
        {rgb24, 0x1E69D2, 0xD2691E},
        {rgb24, 0xAB1E69D2, 0xD2691E}, // padding byte ignored
        {rgb24, 0xFFFFFF, 0xFFFFFF},
        {rgb24, 0, 0},
        {bgr24, 0xD2691E, 0xD2691E},
        {rgb565, 0xF800, 0x0000FF},
        {rgb565, 0x07E0, 0x00FF00},
        {rgb565, 0x001F, 0xFF0000},
        {rgb565, 0xFFFF, 0xFFFFFF},
        {rgb565, 0x8410, 0x848284},                        // 16/31, 32/63, 16/31 rounded
        {rgb565, (3u << 11) | (26u << 5) | 26u, 0xD66919}, // #1E69D2 stored at 16 bits
        {rgb555, 0x7FFF, 0xFFFFFF},
        {rgb30, (120u << 20) | (422u << 10) | 843u, 0xD2691E}, // #1E69D2 at ten bits
        {rgb30, 0x3FFFFFFF, 0xFFFFFF},
    };
    for (const auto &row : rows)
        CHECK_EQ(static_cast<std::uint32_t>(DecodePixel(row.pixel, row.masks)), row.colour);
    CHECK_EQ(ScaleChannel(0xFFFFFFFF, 0), 0); // a visual without that channel
}

TEST_CASE("every five-bit level survives eight bits and back") {
    for (std::uint32_t level = 0; level < 32; ++level)
        CHECK_EQ(static_cast<std::uint32_t>(ScaleChannel(level, 0x1F)) >> 3, level);
}

TEST_CASE("key latch: down now, and pressed since the last query") {
    const std::uint16_t both = KeyDownNow | KeyPressedSince;
    KeyStateLatch key;
    CHECK_EQ(key.Query(), 0);
    for (int i = 0; i < 3; ++i) { // taps between two polls count once
        key.Press();
        key.Release();
    }
    CHECK_EQ(key.Query(), KeyPressedSince);
    CHECK_EQ(key.Query(), 0);
    key.Press(); // held: down at every poll, pressed only at the first
    CHECK_EQ(key.Query(), both);
    CHECK_EQ(key.Query(), KeyDownNow);
    key.Release();
    CHECK_EQ(key.Query(), 0);

    KeyStateLatch atStart; // down when the program started: down, but never pressed
    atStart.SetDown(true);
    CHECK_EQ(atStart.Query(), KeyDownNow);
    atStart.Release();
    atStart.Press();
    CHECK_EQ(atStart.Query(), both);
}

CHECK_MAIN
