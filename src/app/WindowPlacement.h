#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// Where a window opens that was asked to open with its frame at `frame`: there, when its
// title bar (the top titleHeight pixels) can still be grabbed on some screen; otherwise moved
// wholly onto the nearest screen. With no screens known, where it was asked.
QPoint ReachablePosition(const QRect &frame, int titleHeight, const QList<QRect> &screens);
