#include "core/history/StripGeometry.h"

#include <algorithm>
#include <climits>

namespace {
// Rounds towards minus infinity, unlike the / operator.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
} // namespace

std::int64_t SwatchLeft(std::int64_t index) {
    return SwatchSize * index;
}

std::int64_t StripWidth(std::int64_t count) {
    return count <= 1 ? StripDesignWidth : SwatchLeft(count - 1) + SwatchSize;
}

ScrollRange ScrollRangeFor(std::int64_t count) {
    if (count <= SwatchesInFrame)
        return {false, 0};
    return {true, static_cast<int>(std::min<std::int64_t>(count - SwatchesInFrame, INT_MAX))};
}

std::int64_t StripLeftAfterChange(std::int64_t value) {
    return 2 - SwatchSize * value;
}

std::int64_t StripLeftWhileDragging(std::int64_t value) {
    return -12 * value;
}

std::int64_t SwatchUnder(std::int64_t x, std::int64_t stripLeft, std::int64_t count) {
    const std::int64_t inStrip = x - stripLeft;
    if (inStrip < 0)
        return -1;
    const std::int64_t index = inStrip / SwatchSize;
    return index < count ? index : -1;
}

SwatchSpan SwatchesInView(std::int64_t stripLeft, std::int64_t count, int frameWidth) {
    const std::int64_t first = std::max<std::int64_t>(0, FloorDiv(-stripLeft, SwatchSize));
    const std::int64_t last =
        std::min<std::int64_t>(count - 1, FloorDiv(frameWidth - 1 - stripLeft, SwatchSize));
    return {first, last};
}

void StripScroll::Fit(std::int64_t count) {
    stripWidth_ = ::StripWidth(count);
    const ScrollRange range = ScrollRangeFor(count);
    if (range.enabled) {
        scrollEnabled_ = true;
        scrollMax_ = range.max;
        if (scrollValue_ > scrollMax_)
            ScrollTo(scrollMax_, false);
        return;
    }
    if (scrollEnabled_ || scrollValue_ != 0)
        stripLeft_ = 0;
    scrollEnabled_ = false;
    scrollMax_ = 0;
    scrollValue_ = 0;
}

void StripScroll::ScrollTo(int value, bool dragging) {
    scrollValue_ = std::clamp(value, 0, scrollMax_);
    stripLeft_ =
        dragging ? StripLeftWhileDragging(scrollValue_) : StripLeftAfterChange(scrollValue_);
}
