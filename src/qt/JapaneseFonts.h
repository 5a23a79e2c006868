#pragma once

#include <QStringList>

class QFont;

// Japanese faces a Linux desktop is likely to have, best first. Every font of the window ends
// with the same list, so one Japanese face is loaded, not one per control.
QStringList JapaneseFallbackFaces();

// font, falling back to the Japanese faces for what its own face cannot show.
QFont WithJapaneseFallback(const QFont &font);
