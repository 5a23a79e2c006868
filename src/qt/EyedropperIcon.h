#pragma once

#include <QIcon>

// The window's icon, drawn at 16 and 32 pixels: an eyedropper with a red bulb at the upper
// right, its glass tube pointing down to the left, and a teal drop under the tip.
QIcon EyedropperIcon();
QPixmap EyedropperPixmap(int size);

class QPainter;
// The artwork itself, on a size x size square, for any paint device (pixmaps, PNG, SVG).
void PaintEyedropper(QPainter &painter, int size);
