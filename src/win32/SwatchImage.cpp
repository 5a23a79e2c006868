#include "win32/SwatchImage.h"

#include "core/colour/SwatchPaint.h"

namespace {

constexpr int HatchSpacing = 8; // as the Linux preview's diagonal pattern

void Put32(std::vector<unsigned char> &out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((value >> shift) & 0xFFu));
}

void Put16(std::vector<unsigned char> &out, std::uint16_t value) {
    out.push_back(static_cast<unsigned char>(value & 0xFFu));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

} // namespace

std::vector<std::uint32_t> SwatchPixels(ColourValue colour, int width, int height,
                                        const SwatchColours &colours) {
    const size_t count =
        static_cast<size_t>(width > 0 ? width : 0) * static_cast<size_t>(height > 0 ? height : 0);
    const SwatchPaint paint = PaintOf(colour);
    if (paint.fill == SwatchFill::Solid)
        return std::vector<std::uint32_t>(count, PixelOf(colour));
    if (paint.fill == SwatchFill::System && colours.systemColour)
        return std::vector<std::uint32_t>(count,
                                          colours.systemColour(paint.systemIndex) & 0xFFFFFFu);
    std::vector<std::uint32_t> pixels(count, colours.face);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x + y) % HatchSpacing == 0)
                pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                       static_cast<size_t>(x)] = colours.ink;
    return pixels;
}

std::vector<unsigned char> PackedDib(const std::vector<std::uint32_t> &pixels, int width,
                                     int height) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3u + 3u) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    std::vector<unsigned char> dib;
    dib.reserve(40 + imageSize);
    Put32(dib, 40); // biSize
    Put32(dib, static_cast<std::uint32_t>(width));
    Put32(dib, static_cast<std::uint32_t>(height)); // positive: rows bottom up
    Put16(dib, 1);                                  // planes
    Put16(dib, 24);                                 // bits per pixel
    Put32(dib, 0);                                  // BI_RGB
    Put32(dib, imageSize);
    Put32(dib, 3780); // 96 DPI in pixels per metre
    Put32(dib, 3780);
    Put32(dib, 0);
    Put32(dib, 0);
    for (int y = height - 1; y >= 0; --y) {
        const size_t rowStart = dib.size();
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                                               static_cast<size_t>(x)];
            dib.push_back(static_cast<unsigned char>(pixel & 0xFFu));         // blue
            dib.push_back(static_cast<unsigned char>((pixel >> 8) & 0xFFu));  // green
            dib.push_back(static_cast<unsigned char>((pixel >> 16) & 0xFFu)); // red
        }
        dib.resize(rowStart + stride, 0);
    }
    return dib;
}
