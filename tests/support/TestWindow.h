#pragma once

#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "qt/FenwoMainWindow.h"
#include "qt/QtDesktop.h"
#include "unit/support/MemoryFileStore.h"

#include <QFile>
#include <QTemporaryDir>

// The Qt window on a given screen reader, wired as the program wires it, keeping its settings
// in memory under a folder of its own that goes away with it.
struct TestWindow {
    explicit TestWindow(ScreenReader &screen)
        : desktop(screen, [this] { return QFile::encodeName(folder.path()).toStdString(); }) {
        w.Attach(core);
    }

    QTemporaryDir folder;
    QtDesktop desktop;
    MemoryFileStore files;
    IniFileProfile profile{files};
    IniMod settings{profile};
    FenwoMainWindow w;
    FenwoMain core{w, desktop, settings, &files};
};
