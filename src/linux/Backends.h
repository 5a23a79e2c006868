#pragma once

#include "core/settings/IniMod.h"
#include "linux/CommandLine.h"
#include "linux/DisplayChoice.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

class FenwoMain;
class FenwoMainWindow;
class ScreenReader;

// A backend at work for the window: made once the application exists, ended before it goes.
class ScreenSession {
  public:
    virtual ~ScreenSession() = default;
    virtual ScreenReader &Screen() = 0;
    // The window and its core exist: the backend hooks onto them and starts reading.
    virtual void Attach(FenwoMainWindow &window, FenwoMain &core) = 0;
    // A capture asked for from outside the window (`kalvor --capture`).
    virtual void RequestCapture() = 0;
};

// A backend chosen (and, where it is a module, loaded) before the application exists.
class Backend {
  public:
    virtual ~Backend() = default;
    // Whether it reads through the Wayland portal: the display is chosen for that.
    virtual bool ReadsThroughPortal() const = 0;
    // `kalvor --print`: the colour under the pointer, once, without a window.
    virtual int PrintColour(const CommandLine &command, const QString &x11Display,
                            IniMod &settings) = 0;
    virtual std::unique_ptr<ScreenSession> Open(const DisplayChoice &display) = 0;
};

// One way of reading the screen: what KALVOR_BACKEND calls it, whether it is worth trying in
// this session, and how to open it (null, with the reason, when it cannot).
struct BackendEntry {
    const char *name;
    bool (*availableHere)();
    std::unique_ptr<Backend> (*open)(std::string &whyNot);
};

// Every backend this program has, in order of preference.
std::span<const BackendEntry> Backends();

struct ChosenBackend {
    std::unique_ptr<Backend> backend; // null when none opened
    std::string name;
    std::vector<std::string> problems; // one line each, for backends that would not open
};

// The one named by hand (KALVOR_BACKEND) if it opens, else the first available here that does.
ChosenBackend ChooseBackend(std::span<const BackendEntry> list, const std::string &named);

// The Wayland backend's entry, where it was built.
BackendEntry WaylandBackendEntry();
