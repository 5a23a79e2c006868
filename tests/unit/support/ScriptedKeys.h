#pragma once

#include "core/sampling/KeyState.h"

#include <cstdint>
#include <deque>

// The next of a test's scripted answers to a key query: Space's, 0 for any other key and once
// the script has run out.
inline std::uint16_t NextKeyAnswer(std::deque<std::uint16_t> &answers, int virtualKey) {
    if (virtualKey != VK_SPACE || answers.empty())
        return 0;
    const std::uint16_t answer = answers.front();
    answers.pop_front();
    return answer;
}
