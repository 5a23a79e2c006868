#pragma once

#include "core/colour/ColourValue.h"

#include <cstdint>
#include <deque>
#include <string>

// One captured colour and what it is called: its code when captured, or the name a user gave
// it in a palette editor.
struct HistoryColour {
    ColourValue colour = 0;
    std::string name; // UTF-8
    bool operator==(const HistoryColour &) const = default;
};

// The captured colours, oldest first: plain data, whatever shows them. The deque grows in
// blocks, so a long history is never copied.
class History {
  public:
    std::int64_t Count() const { return static_cast<std::int64_t>(colours_.size()); }
    bool Empty() const { return colours_.empty(); }
    ColourValue Swatch(std::int64_t index) const { return At(index).colour; }
    const HistoryColour &At(std::int64_t index) const {
        return colours_.at(static_cast<std::size_t>(index));
    }
    const std::deque<HistoryColour> &Colours() const { return colours_; }

    void Append(HistoryColour colour) { colours_.push_back(std::move(colour)); }
    // Nothing happens for an index outside the history.
    void Remove(std::int64_t index);
    void Clear() { colours_.clear(); }

    bool operator==(const History &) const = default;

  private:
    std::deque<HistoryColour> colours_;
};
