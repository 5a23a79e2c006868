#include "core/history/History.h"

#include "core/history/StripGeometry.h"

#include <algorithm>

History::History() : stripWidth_(StripDesignWidth) {}

void History::Append(ColourValue colour) {
    const std::int64_t n = Count();
    if (n != 0) {
        stripWidth_ = ::StripWidth(n + 1);
        const ScrollRange range = ScrollRangeFor(n + 1);
        if (range.enabled) {
            scrollEnabled_ = true;
            scrollMax_ = range.max;
        }
    }
    swatches_.push_back(colour);
}

void History::ScrollTo(int value, bool dragging) {
    scrollValue_ = std::clamp(value, 0, scrollMax_);
    stripLeft_ =
        dragging ? StripLeftWhileDragging(scrollValue_) : StripLeftAfterChange(scrollValue_);
}
