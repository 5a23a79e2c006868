// Where swatches stand and how the strip scrolls, far past 16-bit pixel counts; where a
// window opens whose stored position may lie off every screen; and where its controls stand.
#include "Testing.h"
#include "core/history/StripGeometry.h"
#include "core/window/WindowLayout.h"
#include "core/window/WindowPlacement.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
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

namespace {

bool Overlap(const PixelRect &a, const PixelRect &b) {
    return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

PixelRect Inside(ControlId container) {
    if (container == ControlId::FenwoMain)
        return {0, 0, ClientWidth, ClientHeight + LoupePanelHeight};
    const PixelRect outer = ControlOf(container).rect;
    return {0, 0, outer.width, outer.height};
}

} // namespace

TEST_CASE("every control has one row, inside its container unless cut on purpose") {
    std::set<ControlId> ids;
    std::set<std::string> names;
    for (const WindowControl &c : WindowControls()) {
        CHECK(ids.insert(c.id).second);
        CHECK(names.insert(std::string(c.name)).second);
        CHECK(&ControlOf(c.id) == &c);
        CHECK(c.id != ControlId::FenwoMain);
        CHECK((c.rect.width > 0 && c.rect.height > 0));
        // The loupe panel's controls lie wholly below the others, the rest wholly above it.
        CHECK_EQ(OnLoupePanel(c),
                 c.container == ControlId::FenwoMain && c.rect.top >= ClientHeight);
        CHECK((OnLoupePanel(c) || c.container != ControlId::FenwoMain ||
               c.rect.Bottom() <= ClientHeight));
        const PixelRect area = Inside(c.container);
        const bool startsInside = c.rect.left >= 0 && c.rect.top >= 0 && c.rect.left < area.width &&
                                  c.rect.top < area.height;
        const bool endsInside = c.rect.Right() <= area.width && c.rect.Bottom() <= area.height;
        if (!startsInside || endsInside == c.clipped)
            FAIL_CHECK(c.name << " against its container");
    }
    CHECK_EQ(ids.size(), std::size_t(ControlId::Label5)); // every id but the window's own
}

TEST_CASE("siblings overlap only where one is meant to lie over the other") {
    const auto controls = WindowControls();
    for (std::size_t front = 0; front < controls.size(); ++front) {
        const WindowControl &a = controls[front];
        bool overlaidFound = a.overlies == ControlId::FenwoMain;
        for (std::size_t back = front + 1; back < controls.size(); ++back) {
            const WindowControl &b = controls[back];
            const bool overlap = a.container == b.container && Overlap(a.rect, b.rect);
            if (b.id == a.overlies)
                overlaidFound = overlap;
            else if (overlap)
                FAIL_CHECK(a.name << " overlaps " << b.name);
        }
        if (!overlaidFound) // behind it, beside it, or gone: the row no longer says how it stacks
            FAIL_CHECK(a.name << " does not lie over its sibling");
    }
}

TEST_CASE("tab order, headings and the history frame") {
    std::vector<int> places;
    for (const WindowControl &c : WindowControls())
        if (c.tabPlace >= 0)
            places.push_back(c.tabPlace);
    std::sort(places.begin(), places.end());
    for (std::size_t i = 0; i < places.size(); ++i)
        CHECK_EQ(places[i], static_cast<int>(i));         // 0..n-1, each once
    CHECK_EQ(ControlOf(ControlId::Picture1).tabPlace, 0); // the focus starts on the preview

    // Red, green and blue boxes from left to right, in tab order, each under its heading.
    const char *headings[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) {
        const WindowControl &box = ControlOf(Text1Element(i));
        if (i > 0) {
            CHECK(box.rect.left > ControlOf(Text1Element(i - 1)).rect.left);
            CHECK_EQ(box.tabPlace, ControlOf(Text1Element(i - 1)).tabPlace + 1);
        }
        int over = 0;
        for (int j = 0; j < 3; ++j) {
            const PixelRect label = ControlOf(Label3Element(j)).rect;
            if (label.left == box.rect.left && label.top < box.rect.top &&
                label.Bottom() >= box.rect.top) {
                ++over;
                CHECK_EQ(std::string(ControlOf(Label3Element(j)).caption),
                         std::string(headings[i]));
            }
        }
        CHECK_EQ(over, 1);
    }

    // The frame shows 14 whole swatches after a 2-pixel margin, and no 15th: the scroll bar's
    // rule rests on it. The strip is one swatch high.
    const int frame = ControlOf(ControlId::Picture2).rect.width;
    CHECK(2 + SwatchesInFrame * SwatchSize <= frame);
    CHECK(2 + (SwatchesInFrame + 1) * SwatchSize > frame);
    CHECK_EQ(ControlOf(ControlId::Picture4).rect.height, SwatchSize);
}

CHECK_MAIN
