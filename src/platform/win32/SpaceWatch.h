#pragma once

#include "core/sampling/KeyState.h"

#include <cstdint>
#include <mutex>

// Space as the keyboard hook saw it, asked for by the window's tick on another thread.
//
// "Down now" comes from the system's own key state, never from the hook: a release the hook
// did not see (the secure desktop, a hook the system removed) would otherwise keep the key
// down and toggle the hold at every tick. The hook only adds "pressed since", so that a tap
// between two ticks still counts; its own idea of "down" merely tells an auto-repeat from a
// new press, and is dropped once two queries in a row find the key up.
class SpaceWatch {
  public:
    struct Answer {
        std::uint16_t state = 0;      // KeyDownNow | KeyPressedSince
        bool hookMissedPress = false; // down now, yet the hook saw no press: it is gone
    };

    void Reset(bool downNow) {
        std::lock_guard<std::mutex> lock(mutex_);
        latch_ = KeyStateLatch();
        latch_.SetDown(downNow);
        upQueries_ = 0;
    }
    // From the hook: every key-down (auto-repeats too) and key-up of Space.
    void KeyDown() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!latch_.IsDown())
            latch_.Press();
    }
    void KeyUp() {
        std::lock_guard<std::mutex> lock(mutex_);
        latch_.Release();
    }

    Answer Query(bool downNow) {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool hookDown = latch_.IsDown();
        const std::uint16_t seen = latch_.Query();
        Answer answer;
        answer.state =
            static_cast<std::uint16_t>((seen & KeyPressedSince) | (downNow ? KeyDownNow : 0));
        answer.hookMissedPress = downNow && !hookDown;
        // One query may fall between the hook's key-down and the system's state catching up;
        // two cannot, a tick apart.
        upQueries_ = downNow ? 0 : upQueries_ + 1;
        if (upQueries_ >= 2)
            latch_.SetDown(false);
        return answer;
    }

  private:
    std::mutex mutex_;
    KeyStateLatch latch_;
    int upQueries_ = 0;
};
