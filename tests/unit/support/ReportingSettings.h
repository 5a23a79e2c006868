#pragma once

#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"

#include <string>
#include <vector>

// Settings through a file store, pointed at one path, that keep what they tell.
struct ReportingSettings {
    ReportingSettings(FileStore &files, const std::string &path) : profile(files) {
        ini.UseReporter([this](const std::string &message) { reports.push_back(message); });
        ini.SetIniPath(path);
    }
    IniFileProfile profile;
    IniMod ini{profile};
    std::vector<std::string> reports;
};
