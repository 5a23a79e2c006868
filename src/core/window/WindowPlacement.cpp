#include "core/window/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace {

// Enough of a title bar to take hold of with the mouse.
constexpr int GripWidth = 40;
constexpr int GripHeight = 8;

ScreenRect Intersection(const ScreenRect &a, const ScreenRect &b) {
    const int left = std::max(a.left, b.left);
    const int top = std::max(a.top, b.top);
    const int right = std::min(a.right(), b.right());
    const int bottom = std::min(a.bottom(), b.bottom());
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

std::int64_t DistanceSquared(const ScreenRect &a, const ScreenRect &b) {
    const std::int64_t dx = std::max({0, b.left - a.right() + 1, a.left - b.right() + 1});
    const std::int64_t dy = std::max({0, b.top - a.bottom() + 1, a.top - b.bottom() + 1});
    return dx * dx + dy * dy;
}

} // namespace

ScreenPoint ReachablePosition(const ScreenRect &frame, int titleHeight,
                              const std::vector<ScreenRect> &screens) {
    const ScreenRect title{frame.left, frame.top, frame.width, titleHeight};
    const int gripHeight = std::min(GripHeight, titleHeight);
    for (const ScreenRect &screen : screens) {
        const ScreenRect grip = Intersection(title, screen);
        if (grip.width >= std::min(GripWidth, frame.width) && grip.height >= gripHeight)
            return {frame.left, frame.top};
    }
    if (screens.empty())
        return {frame.left, frame.top};
    const ScreenRect nearest =
        *std::min_element(screens.begin(), screens.end(), [&](const auto &a, const auto &b) {
            return DistanceSquared(frame, a) < DistanceSquared(frame, b);
        });
    // Left and top edges win where the window is larger than the screen.
    const int x = std::max(nearest.left, std::min(frame.left, nearest.right() - frame.width));
    const int y = std::max(nearest.top, std::min(frame.top, nearest.bottom() - frame.height));
    return {x, y};
}
