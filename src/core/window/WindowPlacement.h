#pragma once

#include "core/window/ScreenGeometry.h"

#include <vector>

// Where a window opens that was asked to open with its frame at `frame`: there, when its
// title bar (the top titleHeight pixels) can still be grabbed on some screen; otherwise moved
// wholly onto the nearest screen. With no screens known, where it was asked.
ScreenPoint ReachablePosition(const ScreenRect &frame, int titleHeight,
                              const std::vector<ScreenRect> &screens);
