#pragma once

#include <QtGlobal>

// Where the history swatches stand, in pixels. Positions are 64-bit: a long history runs far
// past what 16 or even 32 bits of pixels can hold.

inline constexpr int SwatchSize = 17;        // 2-pixel sunken border around 13x13 of colour
inline constexpr int StripDesignWidth = 185; // kept until the second swatch arrives
inline constexpr int SwatchesInFrame = 14;   // whole swatches the frame shows

// Left edge of swatch index inside the strip: swatches abut.
qint64 SwatchLeft(qint64 index);

// The strip's width once it holds count swatches.
qint64 StripWidth(qint64 count);

struct ScrollRange {
    bool enabled;
    int max;
};
// The scroll bar for count swatches: one step a swatch, from the 15th swatch on.
ScrollRange ScrollRangeFor(qint64 count);

// The strip's offset in the frame once the scroll bar settles at value, and while its thumb is
// dragged through value.
qint64 StripLeftAfterChange(qint64 value);
qint64 StripLeftWhileDragging(qint64 value);

// The swatch under x (pixels of the frame) with the strip at stripLeft, or -1 for none.
qint64 SwatchUnder(qint64 x, qint64 stripLeft, qint64 count);

// The swatches that overlap [0, frameWidth) of the frame; empty when last < first.
struct SwatchSpan {
    qint64 first;
    qint64 last;
};
SwatchSpan SwatchesInView(qint64 stripLeft, qint64 count, int frameWidth);
