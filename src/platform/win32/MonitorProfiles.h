#pragma once

#include "core/colour/ProfileConversion.h"
#include "core/window/ScreenGeometry.h"

#include <string>
#include <vector>

// The colour profile the system assigns to each monitor (GetICMProfileW on the monitor's own
// device context), as its ICC bytes: null where it is the system's sRGB profile (what every
// monitor has until one is assigned) or its file cannot be read. The file is read again only
// when the monitor's profile names another.
class MonitorProfiles {
  public:
    MonitorProfiles() = default;
    ~MonitorProfiles();
    MonitorProfiles(const MonitorProfiles &) = delete;
    MonitorProfiles &operator=(const MonitorProfiles &) = delete;

    struct Found {
        int monitor = 0; // in the system's order of monitors; 0 off every monitor
        ProfileBytes profile;
    };
    Found At(ScreenPoint point);

  private:
    struct Kept {
        std::wstring device; // the monitor's device name, "\\.\DISPLAY1"
        void *dc = nullptr;  // its device context, made once
        std::wstring path;   // the profile's file, as last named
        ProfileBytes bytes;
    };
    std::vector<Kept> kept_;
    std::wstring srgb_;
    bool srgbKnown_ = false;
};
