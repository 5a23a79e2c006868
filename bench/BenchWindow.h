#pragma once

#include "core/settings/IniFileProfile.h"
#include "qt/FenwoMainWindow.h"
#include "tests/unit/support/MemoryFileStore.h"

// The program's window and core on a desktop, the settings kept in memory.
struct BenchWindow {
    explicit BenchWindow(Desktop &desktop, ProfileEngine *engine = nullptr)
        : core(window, desktop, settings, nullptr, engine) {
        window.Attach(core);
    }
    MemoryFileStore files;
    IniFileProfile profile{files};
    IniMod settings{profile};
    FenwoMainWindow window;
    FenwoMain core;
};
