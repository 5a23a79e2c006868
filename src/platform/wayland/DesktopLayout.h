#pragma once

#include "core/sampling/PixelSquare.h"
#include "core/window/ScreenGeometry.h"
#include "platform/wayland/FrameFormat.h"

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

// The square around `centre`, each pixel from the frame of the monitor it lies on (frames[i] is
// the newest frame of the monitor at rects[i]): a loupe across the edge between two monitors
// shows both. CLR_INVALID where no monitor is, or its monitor has no frame yet.
PixelSquare SquareFromFrames(const std::vector<ScreenRect> &rects,
                             const std::vector<FrameView> &frames, ScreenPoint centre, int reach);
