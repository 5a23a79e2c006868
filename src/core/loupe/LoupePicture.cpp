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
    explicit Canvas(std::vector<std::uint32_t> &pixels) : pixels_(pixels) {}

    void Set(int x, int y, std::uint32_t pixel) {
        if (x >= 0 && y >= 0 && x < LoupeViewSize && y < LoupeViewSize)
            pixels_[static_cast<std::size_t>(y * LoupeViewSize + x)] = pixel;
    }

    // A block at (left, top): the colour, or the hatch of a pixel not read; with a grid, its
    // first row and column are the grid's.
    void Block(int left, int top, int zoom, ColourValue colour, bool grid) {
        // Worked out once a block, not once a pixel: a moving pointer draws every tick.
        const std::uint32_t fill = colour == CLR_INVALID ? Face : Opaque(colour);
        const std::uint32_t line = colour == CLR_INVALID || !grid ? fill : GridOver(colour);
        for (int y = 0; y < zoom; ++y)
            for (int x = 0; x < zoom; ++x) {
                std::uint32_t pixel = x == 0 || y == 0 ? line : fill;
                if (colour == CLR_INVALID && (left + x + top + y) % 4 == 0)
                    pixel = Ink;
                Set(left + x, top + y, pixel);
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
};

} // namespace

int LoupeReach(int zoom) {
    const int side = LoupeViewSize / std::max(zoom, 1);
    return (side % 2 == 0 ? side - 1 : side) / 2;
}

LoupePicture DrawLoupe(const PixelSquare &square, int zoom, int sample) {
    LoupePicture picture;
    picture.pixels.assign(static_cast<std::size_t>(LoupeViewSize * LoupeViewSize), Face);
    Canvas canvas(picture.pixels);
    const int reach = LoupeReach(zoom);
    const int origin = (LoupeViewSize - (2 * reach + 1) * zoom) / 2;
    const bool grid = zoom >= GridFromZoom;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            canvas.Block(origin + (dx + reach) * zoom, origin + (dy + reach) * zoom, zoom,
                         square.At(dx, dy), grid);
    const int half = sample / 2;
    const int first = origin + (reach - half) * zoom;
    const int past = origin + (reach + half + 1) * zoom;
    const ColourValue centre = square.Centre();
    canvas.Outline(first, first, past, past, centre == CLR_INVALID || Light(centre) ? Ink : Paper);
    if (!square.pixels.empty())
        picture.position = std::to_string(square.centre.x) + ", " + std::to_string(square.centre.y);
    picture.scale = ZoomWords(zoom) + "  " + std::string(SampleWords(sample));
    return picture;
}
