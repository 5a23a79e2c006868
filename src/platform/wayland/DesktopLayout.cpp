#include "platform/wayland/DesktopLayout.h"

#include <algorithm>
#include <cmath>

std::vector<ScreenRect> LayOutStreams(const std::vector<StreamPlacement> &streams) {
    double scale = 1.0;
    bool allPlaced = !streams.empty();
    for (const StreamPlacement &s : streams) {
        if (s.logicalWidth > 0 && s.frameWidth > 0)
            scale = std::max(scale, static_cast<double>(s.frameWidth) / s.logicalWidth);
        allPlaced = allPlaced && s.hasPosition;
    }
    std::vector<ScreenRect> rects;
    int nextLeft = 0;
    for (const StreamPlacement &s : streams) {
        ScreenRect r{0, 0, s.frameWidth, s.frameHeight};
        if (allPlaced) {
            r.left = static_cast<int>(std::lround(s.logicalX * scale));
            r.top = static_cast<int>(std::lround(s.logicalY * scale));
        } else {
            r.left = nextLeft;
            nextLeft += std::max(s.frameWidth, 0);
        }
        rects.push_back(r);
    }
    return rects;
}

std::optional<std::size_t> StreamAt(const std::vector<ScreenRect> &rects, ScreenPoint point) {
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const ScreenRect &r = rects[i];
        if (!r.empty() && point.x >= r.left && point.x < r.right() && point.y >= r.top &&
            point.y < r.bottom())
            return i;
    }
    return std::nullopt;
}
