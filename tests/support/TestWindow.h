#pragma once

#include "qt/FenwoMainWindow.h"
#include "qt/QtDesktop.h"

#include <QTemporaryDir>

// The Qt window on a given screen reader, keeping its settings in a folder of its own that
// goes away with it.
struct TestWindow {
    explicit TestWindow(ScreenReader &screen) : desktop(screen, folder.path()), w(desktop) {}

    QTemporaryDir folder;
    QtDesktop desktop;
    FenwoMainWindow w;
};
