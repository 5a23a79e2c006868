#include "core/sampling/PixelSquare.h"

#include <algorithm>
#include <cstdlib>

ColourValue PixelSquare::At(int dx, int dy) const {
    if (std::abs(dx) > reach || std::abs(dy) > reach)
        return CLR_INVALID;
    const auto index = static_cast<std::size_t>((dy + reach) * Side() + dx + reach);
    return index < pixels.size() ? pixels[index] : CLR_INVALID;
}

PixelSquare UnreadSquare(ScreenPoint centre, int reach) {
    const auto side = static_cast<std::size_t>(2 * reach + 1);
    return {centre, reach, std::vector<ColourValue>(side * side, CLR_INVALID)};
}

PixelSquare Widened(PixelSquare wide, const PixelSquare &inner) {
    const int reach = std::min(inner.reach, wide.reach);
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            wide.pixels[static_cast<std::size_t>((dy + wide.reach) * wide.Side() + dx +
                                                 wide.reach)] = inner.At(dx, dy);
    return wide;
}

ColourValue AverageOf(const PixelSquare &square, int sampleSide) {
    if (square.Centre() == CLR_INVALID)
        return CLR_INVALID;
    const int half = sampleSide / 2;
    unsigned red = 0;
    unsigned green = 0;
    unsigned blue = 0;
    unsigned count = 0;
    for (int dy = -half; dy <= half; ++dy)
        for (int dx = -half; dx <= half; ++dx) {
            const ColourValue pixel = square.At(dx, dy);
            if (pixel == CLR_INVALID)
                continue;
            const ColourComponents parts = SplitColour(pixel);
            red += static_cast<unsigned>(parts.red);
            green += static_cast<unsigned>(parts.green);
            blue += static_cast<unsigned>(parts.blue);
            ++count;
        }
    const auto mean = [count](unsigned sum) { return static_cast<int>((sum + count / 2) / count); };
    return RGB(mean(red), mean(green), mean(blue));
}
