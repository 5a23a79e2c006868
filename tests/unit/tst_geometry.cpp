// Where swatches stand and how the strip scrolls, far past 16-bit pixel counts; and where a
// window opens whose stored position may lie off every screen.
#include "Check.h"
#include "core/history/StripGeometry.h"
#include "core/window/WindowPlacement.h"

#include <cstdint>
#include <vector>

TEST_CASE("swatch places, strip widths and scroll ranges") {
    const struct {
        std::int64_t count, lastLeft, width;
        bool scrolls;
        int max;
    } rows[] = {
        {1, 0, 185, false, 0}, // one swatch keeps the design width
        {2, 17, 34, false, 0},
        {11, 170, 187, false, 0},
        {14, 221, 238, false, 0}, // fourteen fill the frame
        {15, 238, 255, true, 1},  // the fifteenth scrolls
        {16, 255, 272, true, 2},
        {32769, 557056, 557073, true, 32755}, // past 16-bit indices
        {1000000, 16999983, 17000000, true, 999986},
    };
    for (const auto &row : rows) {
        CHECK_EQ(SwatchLeft(row.count - 1), row.lastLeft);
        CHECK_EQ(StripWidth(row.count), row.width);
        const ScrollRange range = ScrollRangeFor(row.count);
        CHECK_EQ(range.enabled, row.scrolls);
        if (row.scrolls)
            CHECK_EQ(range.max, row.max);
    }
}

TEST_CASE("strip offsets after a change and while dragging") {
    const struct {
        std::int64_t value, afterChange, whileDragging;
    } rows[] = {
        {0, 2, 0},
        {1, -15, -12},
        {1927, -32757, -23124}, // last in 16 bits after a change
        {1928, -32774, -23136},
        {2730, -46408, -32760}, // last in 16 bits while dragging
        {2731, -46425, -32772},
        {999986, -16999760, -11999832},
    };
    for (const auto &row : rows) {
        CHECK_EQ(StripLeftAfterChange(row.value), row.afterChange);
        CHECK_EQ(StripLeftWhileDragging(row.value), row.whileDragging);
    }
}

TEST_CASE("the swatch under the pointer") {
    const std::int64_t farEnd = StripLeftAfterChange(999986);
    const struct {
        std::int64_t x, stripLeft, count, index;
    } rows[] = {
        {5, 0, 0, -1}, // an empty strip takes no clicks
        {0, 0, 1, 0},
        {16, 0, 1, 0}, // the first swatch's right edge
        {17, 0, 1, -1},
        {1, 2, 3, -1}, // the margin after a change
        {19, 2, 3, 1},
        {230, farEnd, 1000000, 999999},
        {2, farEnd, 1000000, 999986},
        {100, -12 * 40000, 60000, (100 + 480000) / 17}, // dragged, between swatches
    };
    for (const auto &row : rows)
        CHECK_EQ(SwatchUnder(row.x, row.stripLeft, row.count), row.index);
}

TEST_CASE("the swatches the frame shows") {
    const struct {
        std::int64_t stripLeft, count, first, last;
    } rows[] = {
        {0, 20, 0, 14},                          // the 15th shows 3 pixels
        {StripLeftAfterChange(5), 100, 4, 19},   // swatch 4 in the margin
        {StripLeftWhileDragging(1), 100, 0, 14}, // swatch 0 still shows 5
        {StripLeftAfterChange(999986), 1000000, 999985, 999999},
    };
    for (const auto &row : rows) {
        const SwatchSpan span = SwatchesInView(row.stripLeft, row.count, 241);
        CHECK_EQ(span.first, row.first);
        CHECK_EQ(span.last, row.last);
    }
    const SwatchSpan none = SwatchesInView(0, 0, 241);
    CHECK(none.last < none.first);
}

TEST_CASE("a window opens where its title bar can be grabbed") {
    const std::vector<ScreenRect> one{{0, 0, 1920, 1080}};
    const std::vector<ScreenRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const std::vector<ScreenRect> none;
    const struct {
        ScreenRect frame;
        const std::vector<ScreenRect> &screens;
        ScreenPoint opens;
    } rows[] = {
        {{60, 60, 274, 164}, one, {60, 60}},
        {{1800, 100, 274, 164}, one, {1800, 100}}, // half off the right, title reachable
        {{100, 1060, 274, 164}, one, {100, 1060}}, // body below the bottom
        {{5000, 100, 274, 164}, one, {1920 - 274, 100}},
        {{2500, 300, 274, 164}, one, {1920 - 274, 300}}, // a removed second monitor
        {{2500, 300, 274, 164}, two, {2500, 300}},
        {{100, -30, 274, 164}, one, {100, 0}}, // above the top: title unreachable
        {{-9000, -9000, 274, 164}, one, {0, 0}},
        {{1900, 100, 274, 164}, one, {1920 - 274, 100}},        // only a sliver of title
        {{3300, 900, 274, 164}, two, {3200 - 274, 1024 - 164}}, // nearest of two
        {{5000, 5000, 274, 164}, none, {5000, 5000}},           // no screens known
        {{5000, 100, 2400, 164}, one, {0, 100}},                // wider than the screen
        {{-3000, 5000, 274, 2000}, one, {0, 0}},                // and taller
        {{1880, 100, 274, 164}, one, {1880, 100}},              // just grip-wide on screen
        {{1881, 100, 274, 164}, one, {1920 - 274, 100}},
        {{100, -16, 274, 164}, one, {100, -16}}, // just grip-high on screen
        {{100, -17, 274, 164}, one, {100, 0}},
    };
    for (const auto &row : rows) {
        const ScreenPoint at = ReachablePosition(row.frame, 24, row.screens);
        CHECK_EQ(at.x, row.opens.x);
        CHECK_EQ(at.y, row.opens.y);
    }
}

CHECK_MAIN
