#pragma once

#include "core/FenwoMain.h"
#include "core/loupe/LoupePicture.h"
#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "support/FakeDesktop.h"
#include "support/FakeEngine.h"
#include "support/FakeView.h"
#include "support/MemoryFileStore.h"

#include <filesystem>
#include <string>

// What a hold reads once around the colour: the widest loupe's square.
inline const int HeldReach = LoupeReach(LoupeSettings::MinZoom);

// The window's logic between a scripted desktop, a recording view and settings in memory.
struct Window {
    FakeDesktop desktop;
    FakeView view;
    MemoryFileStore files;
    IniFileProfile profile{files};
    IniMod settings{profile};
    FakeEngine engine;
    FenwoMain w{view, desktop, settings, &files, &engine};

    std::string IniPath() const {
        return (std::filesystem::path(desktop.settingsFolder) / "Kalvor.ini").string();
    }
    std::string Ini() const { return files.Bytes(IniPath()); }
    void StoreIni(const std::string &bytes) { files.Put(IniPath(), bytes); }
    std::string PalettePath() const {
        return (std::filesystem::path(desktop.settingsFolder) / "Kalvor.gpl").string();
    }
    std::string Palette() const { return files.Bytes(PalettePath()); }

    void Close() {
        int cancel = 0;
        w.Form_QueryUnload(cancel, 0);
    }
    // One tick with a Space press since the one before, or none.
    void Tick(bool space = false) {
        if (space)
            desktop.PressSpaceOnce();
        w.Timer1_Timer();
    }
    // Space while sampling, then Space again to sample once more: one capture of colour.
    void Capture(ColourValue colour) {
        desktop.pixel = colour;
        Tick(true);
        Tick(true);
    }
    std::string Clipboard() const {
        return desktop.clipboard.empty() ? "<empty>" : desktop.clipboard.back().text;
    }
};
