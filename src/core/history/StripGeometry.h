#pragma once

#include <cstdint>

// Where the history swatches stand, in pixels. Positions are 64-bit: a long history runs far
// past what 16 or even 32 bits of pixels can hold.

inline constexpr int SwatchSize = 17;        // 2-pixel sunken border around 13x13 of colour
inline constexpr int StripDesignWidth = 185; // kept until the second swatch arrives
inline constexpr int SwatchesInFrame = 14;   // whole swatches the frame shows

// Left edge of swatch index inside the strip: swatches abut.
std::int64_t SwatchLeft(std::int64_t index);

// The strip's width once it holds count swatches.
std::int64_t StripWidth(std::int64_t count);

struct ScrollRange {
    bool enabled;
    int max;
};
// The scroll bar for count swatches: one step a swatch, from the 15th swatch on.
ScrollRange ScrollRangeFor(std::int64_t count);

// The strip's offset in the frame once the scroll bar settles at value, and while its thumb is
// dragged through value.
std::int64_t StripLeftAfterChange(std::int64_t value);
std::int64_t StripLeftWhileDragging(std::int64_t value);

// The swatch under x (pixels of the frame) with the strip at stripLeft, or -1 for none.
std::int64_t SwatchUnder(std::int64_t x, std::int64_t stripLeft, std::int64_t count);

// The swatches that overlap [0, frameWidth) of the frame; empty when last < first.
struct SwatchSpan {
    std::int64_t first;
    std::int64_t last;
};
SwatchSpan SwatchesInView(std::int64_t stripLeft, std::int64_t count, int frameWidth);

// How the strip stands in its frame: its offset and width, and the scroll bar under it.
class StripScroll {
  public:
    std::int64_t StripLeft() const { return stripLeft_; }
    std::int64_t StripWidth() const { return stripWidth_; }
    bool ScrollEnabled() const { return scrollEnabled_; }
    int ScrollMax() const { return scrollMax_; }
    int ScrollValue() const { return scrollValue_; }

    // The strip now holds count swatches. Growing never moves it; once fewer swatches than
    // the scrolled-off ones remain, it scrolls back as far as it must, to the start when the
    // frame holds them all.
    void Fit(std::int64_t count);
    // The scroll bar settled at value, or its thumb is dragged through it.
    void ScrollTo(int value, bool dragging);

  private:
    std::int64_t stripLeft_ = 0;
    std::int64_t stripWidth_ = StripDesignWidth;
    bool scrollEnabled_ = false;
    int scrollMax_ = 0;
    int scrollValue_ = 0;
};
