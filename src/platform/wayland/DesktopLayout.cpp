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

PixelSquare SquareFromFrames(const std::vector<ScreenRect> &rects,
                             const std::vector<FrameView> &frames, ScreenPoint centre, int reach) {
    PixelSquare square = UnreadSquare(centre, reach);
    const int side = square.Side();
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column) {
            const ScreenPoint at{centre.x - reach + column, centre.y - reach + row};
            const auto index = StreamAt(rects, at);
            if (!index || *index >= frames.size())
                continue;
            const ScreenRect &r = rects[*index];
            square.pixels[static_cast<std::size_t>(row * side + column)] =
                ReadFramePixel(frames[*index], at.x - r.left, at.y - r.top);
        }
    return square;
}
