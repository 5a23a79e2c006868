#pragma once

#include "core/window/ScreenGeometry.h"

#include <optional>
#include <vector>

// How one monitor's stream sits on the desktop. The portal reports position and size in the
// desktop's logical units; the frames come in the monitor's native pixels.
struct StreamPlacement {
    bool hasPosition = false;
    int logicalX = 0;
    int logicalY = 0;
    int logicalWidth = 0; // 0 when the portal did not say
    int logicalHeight = 0;
    int frameWidth = 0; // 0 until the stream has a format
    int frameHeight = 0;
};

// Native-pixel rectangles for the streams, in one plane that keeps them apart: logical
// positions scaled by the largest monitor scale, so monitors of mixed scales never overlap.
// Streams without a position go side by side, left to right.
std::vector<ScreenRect> LayOutStreams(const std::vector<StreamPlacement> &streams);

// Index of the rectangle holding the point, if any.
std::optional<std::size_t> StreamAt(const std::vector<ScreenRect> &rects, ScreenPoint point);
