#include "core/loupe/LoupePicture.h"

#include "core/loupe/LoupeMenu.h"

#include <algorithm>

namespace {

constexpr std::uint32_t Face = 0x00000000; // transparent: the window's face
constexpr std::uint32_t Ink = 0xFF000000;
constexpr std::uint32_t Paper = 0xFFFFFFFF;
constexpr int GridFromZoom = 6;

std::uint32_t Opaque(ColourValue colour) {
    const ColourComponents c = SplitColour(colour);
    return 0xFF000000u | static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
}

bool Light(ColourValue colour) {
    const ColourComponents c = SplitColour(colour);
    return c.red * 299 + c.green * 587 + c.blue * 114 >= 128 * 1000;
}

// A quarter of the way to black on a light pixel, to white on a dark one: visible on any.
std::uint32_t GridOver(ColourValue colour) {
    ColourComponents c = SplitColour(colour);
    const bool light = Light(colour);
    for (int *channel : {&c.red, &c.green, &c.blue})
        *channel = light ? *channel * 3 / 4 : *channel + (255 - *channel) / 4;
    return Opaque(RGB(c.red, c.green, c.blue));
}

class Canvas {
  public:
    Canvas(std::vector<std::uint32_t> &pixels, int side) : pixels_(pixels), side_(side) {}

    void Set(int x, int y, std::uint32_t pixel) {
        if (x >= 0 && y >= 0 && x < side_ && y < side_)
            pixels_[static_cast<std::size_t>(y * side_ + x)] = pixel;
    }

    // A block at (left, top): the colour, or the hatch of a pixel not read; with a grid, its
    // first row and column are the grid's.
    void Block(int left, int top, int zoom, ColourValue colour, bool grid) {
        if (colour == CLR_INVALID) {
            for (int y = 0; y < zoom; ++y)
                for (int x = 0; x < zoom; ++x)
                    Set(left + x, top + y, (left + x + top + y) % 4 == 0 ? Ink : Face);
            return;
        }
        // Worked out once a block and written a row at a time: a moving pointer draws the
        // whole picture every tick.
        const std::uint32_t fill = Opaque(colour);
        const std::uint32_t line = grid ? GridOver(colour) : fill;
        const int first = std::max(left, 0);
        const int past = std::min(left + zoom, side_);
        if (first >= past)
            return;
        for (int y = std::max(top, 0); y < std::min(top + zoom, side_); ++y) {
            std::uint32_t *row = pixels_.data() + static_cast<std::size_t>(y * side_);
            const std::uint32_t pixel = y == top ? line : fill;
            for (int x = first; x < past; ++x)
                row[x] = pixel;
            if (first == left)
                row[left] = line;
        }
    }

    // The one-pixel lines just inside (left, top) and just past (right, bottom).
    void Outline(int left, int top, int right, int bottom, std::uint32_t pixel) {
        for (int x = left; x <= right; ++x) {
            Set(x, top, pixel);
            Set(x, bottom, pixel);
        }
        for (int y = top; y <= bottom; ++y) {
            Set(left, y, pixel);
            Set(right, y, pixel);
        }
    }

  private:
    std::vector<std::uint32_t> &pixels_;
    int side_;
};

} // namespace

int LoupeReach(int zoom) {
    const int side = LoupeViewSize / std::max(zoom, 1);
    return (side % 2 == 0 ? side - 1 : side) / 2;
}

int LoupeBlock(int zoom, int side) {
    return std::max(1, zoom * side / LoupeViewSize);
}

// The same blocks at any side: as many as at 96 DPI, each scaled down to whole pixels, so the
// square read for the loupe is the same on every monitor.
LoupePicture DrawLoupe(const PixelSquare &square, int zoom, int sample, int side) {
    LoupePicture picture;
    side = std::max(side, 1);
    picture.side = side;
    picture.pixels.assign(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), Face);
    Canvas canvas(picture.pixels, side);
    const int reach = LoupeReach(zoom);
    const int block = LoupeBlock(zoom, side);
    const int origin = (side - (2 * reach + 1) * block) / 2;
    const bool grid = zoom >= GridFromZoom;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            canvas.Block(origin + (dx + reach) * block, origin + (dy + reach) * block, block,
                         square.At(dx, dy), grid);
    const int half = sample / 2;
    const int first = origin + (reach - half) * block;
    const int past = origin + (reach + half + 1) * block;
    const ColourValue centre = square.Centre();
    canvas.Outline(first, first, past, past, centre == CLR_INVALID || Light(centre) ? Ink : Paper);
    if (!square.pixels.empty())
        picture.position = std::to_string(square.centre.x) + ", " + std::to_string(square.centre.y);
    picture.scale = ZoomWords(zoom) + "  " + SampleWords(sample);
    return picture;
}
