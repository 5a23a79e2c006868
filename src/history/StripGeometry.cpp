#include "history/StripGeometry.h"

#include <algorithm>
#include <climits>

namespace {
// Rounds towards minus infinity, unlike the / operator.
qint64 FloorDiv(qint64 a, qint64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
} // namespace

qint64 SwatchLeft(qint64 index) {
    return SwatchSize * index;
}

qint64 StripWidth(qint64 count) {
    return count <= 1 ? StripDesignWidth : SwatchLeft(count - 1) + SwatchSize;
}

ScrollRange ScrollRangeFor(qint64 count) {
    if (count <= SwatchesInFrame)
        return {false, 0};
    return {true, static_cast<int>(std::min<qint64>(count - SwatchesInFrame, INT_MAX))};
}

qint64 StripLeftAfterChange(qint64 value) {
    return 2 - SwatchSize * value;
}

qint64 StripLeftWhileDragging(qint64 value) {
    return -12 * value;
}

qint64 SwatchUnder(qint64 x, qint64 stripLeft, qint64 count) {
    const qint64 inStrip = x - stripLeft;
    if (inStrip < 0)
        return -1;
    const qint64 index = inStrip / SwatchSize;
    return index < count ? index : -1;
}

SwatchSpan SwatchesInView(qint64 stripLeft, qint64 count, int frameWidth) {
    const qint64 first = std::max<qint64>(0, FloorDiv(-stripLeft, SwatchSize));
    const qint64 last =
        std::min<qint64>(count - 1, FloorDiv(frameWidth - 1 - stripLeft, SwatchSize));
    return {first, last};
}
