#include "app/WindowPlacement.h"

#include <algorithm>
#include <climits>

namespace {

// Enough of a title bar to take hold of with the mouse.
constexpr int GripWidth = 40;
constexpr int GripHeight = 8;

qint64 DistanceSquared(const QRect &a, const QRect &b) {
    const qint64 dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const qint64 dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

QPoint ReachablePosition(const QRect &frame, int titleHeight, const QList<QRect> &screens) {
    const QRect title(frame.topLeft(), QSize(frame.width(), titleHeight));
    const int gripHeight = std::min(GripHeight, titleHeight);
    for (const QRect &screen : screens) {
        const QRect grip = title.intersected(screen);
        if (grip.width() >= std::min(GripWidth, frame.width()) && grip.height() >= gripHeight)
            return frame.topLeft();
    }
    if (screens.isEmpty())
        return frame.topLeft();
    const QRect nearest =
        *std::min_element(screens.begin(), screens.end(), [&](const QRect &a, const QRect &b) {
            return DistanceSquared(frame, a) < DistanceSquared(frame, b);
        });
    // Left and top edges win where the window is larger than the screen.
    const int x =
        std::max(nearest.left(), std::min(frame.left(), nearest.right() + 1 - frame.width()));
    const int y =
        std::max(nearest.top(), std::min(frame.top(), nearest.bottom() + 1 - frame.height()));
    return {x, y};
}
