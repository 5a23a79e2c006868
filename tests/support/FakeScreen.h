#pragma once

#include "core/ScreenReader.h"
#include "core/sampling/KeyState.h"
#include "unit/support/ScriptedKeys.h"

#include <deque>
#include <functional>

// A screen whose pointer, pixel and Space key the test scripts.
class FakeScreen final : public ScreenReader {
  public:
    std::optional<ScreenPoint> pointer = ScreenPoint{10, 20};
    ColourValue pixel = 0;
    std::deque<std::uint16_t> keyAnswers; // the next key queries' answers; 0 once they run out
    int pixelReads = 0;
    ReaderState readState;
    std::function<void(ColourValue)> pick; // the open pick, answered by the test

    void PressSpaceOnce() { keyAnswers.push_back(KeyPressedSince); }

    std::uintptr_t GetDesktopWindow() override { return 0x1234; }
    std::optional<ScreenPoint> GetCursorPos() override { return pointer; }
    ColourValue GetPixel(std::uintptr_t, ScreenPoint) override {
        ++pixelReads;
        return pixel;
    }
    std::uint16_t GetAsyncKeyState(int virtualKey) override {
        return NextKeyAnswer(keyAnswers, virtualKey);
    }
    ReaderState ReadState() override { return readState; }
    void PickOnce(std::function<void(ColourValue)> done) override { pick = std::move(done); }
};
