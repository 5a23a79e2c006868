#pragma once

#include "core/colour/ColourValue.h"

#include <cstddef>
#include <cstdint>
#include <deque>

// The captured swatches and how the strip stands in its frame. Swatches are only ever
// appended; the deque grows in blocks, so a long history is never copied.
class History {
  public:
    History();

    std::int64_t Count() const { return static_cast<std::int64_t>(swatches_.size()); }
    ColourValue Swatch(std::int64_t index) const {
        return swatches_.at(static_cast<size_t>(index));
    }

    std::int64_t StripLeft() const { return stripLeft_; }
    std::int64_t StripWidth() const { return stripWidth_; }
    bool ScrollEnabled() const { return scrollEnabled_; }
    int ScrollMax() const { return scrollMax_; }
    int ScrollValue() const { return scrollValue_; }

    // Adds a swatch at the right end; the strip widens and, from the 15th, scrolls. Appending
    // never moves the strip.
    void Append(ColourValue colour);
    // The scroll bar settled at value, or its thumb is dragged through it.
    void ScrollTo(int value, bool dragging);

  private:
    std::deque<ColourValue> swatches_;
    std::int64_t stripLeft_ = 0;
    std::int64_t stripWidth_;
    bool scrollEnabled_ = false;
    int scrollMax_ = 0;
    int scrollValue_ = 0;
};
