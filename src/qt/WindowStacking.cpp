#include "qt/WindowStacking.h"

#include <QWidget>

void KeepAboveOthers(QWidget &window) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return;
    const bool shown = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true); // hides a shown window
    if (shown)
        window.show();
}
