#pragma once

// Points and rectangles on the desktop. Pointer and pixel positions are native pixels; window
// positions are in the units the front-end places windows in.
struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint &) const = default;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect &) const = default;

    int right() const { return left + width; } // one past the last column
    int bottom() const { return top + height; }
    bool empty() const { return width <= 0 || height <= 0; }
};

// A window's frame around its client area, in the units windows are placed in: its outer size
// and the height of its title bar (with the border above it).
struct FrameSize {
    int width = 0;
    int height = 0;
    int titleHeight = 0;
    bool operator==(const FrameSize &) const = default;
};
