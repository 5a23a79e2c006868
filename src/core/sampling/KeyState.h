#pragma once

#include <cstdint>

inline constexpr int VK_SPACE = 0x20;

// Bits of a key state answer.
inline constexpr std::uint16_t KeyDownNow = 0x8000;
inline constexpr std::uint16_t KeyPressedSince = 0x0001;

// Turns a stream of key presses and releases into the answer of a key state query: down now,
// and pressed at least once since the previous query (so a tap between two polls still counts).
class KeyStateLatch {
  public:
    void Press() {
        down_ = true;
        pressedSince_ = true;
    }
    void Release() { down_ = false; }
    // For a state learned without an event, such as at start-up.
    void SetDown(bool down) { down_ = down; }
    bool IsDown() const { return down_; }

    // KeyDownNow | KeyPressedSince bits; clears the pressed-since report.
    std::uint16_t Query() {
        const std::uint16_t state =
            (down_ ? KeyDownNow : 0) | (pressedSince_ ? KeyPressedSince : 0);
        pressedSince_ = false;
        return state;
    }

  private:
    bool down_ = false;
    bool pressedSince_ = false;
};
