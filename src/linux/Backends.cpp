#include "linux/Backends.h"

#include "core/FenwoMain.h"
#include "linux/CommandLineActions.h"
#include "platform/x11/X11Screen.h"
#include "qt/Say.h"

#include <QGuiApplication>
#include <array>

namespace {

class X11Session final : public ScreenSession {
  public:
    explicit X11Session(const DisplayChoice &display) {
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            screen_ = X11Screen::Open(display.x11Display.toStdString());
        if (!screen_) {
            Say("no X11 screen to read; colours cannot be sampled here");
            screen_ = std::make_unique<NullScreenReader>();
        }
    }
    ScreenReader &Screen() override { return *screen_; }
    void Attach(FenwoMainWindow &, FenwoMain &core) override { core_ = &core; }
    void RequestCapture() override {
        if (core_)
            core_->RequestCapture();
    }

  private:
    std::unique_ptr<ScreenReader> screen_;
    FenwoMain *core_ = nullptr;
};

class X11Backend final : public Backend {
  public:
    bool ReadsThroughPortal() const override { return false; }
    int PrintColour(const CommandLine &command, const QString &x11Display,
                    IniMod &settings) override {
        return PrintColourUnderPointer(command, x11Display, settings);
    }
    std::unique_ptr<ScreenSession> Open(const DisplayChoice &display) override {
        return std::make_unique<X11Session>(display);
    }
};

} // namespace

std::span<const BackendEntry> Backends() {
    // X11 last: it is tried wherever the others are not, and says so when it finds no screen.
    static const std::array list{
#ifdef KALVOR_WITH_WAYLAND
        WaylandBackendEntry(),
#endif
        BackendEntry{"x11", [] { return true; },
                     [](std::string &) -> std::unique_ptr<Backend> {
                         return std::make_unique<X11Backend>();
                     }},
    };
    return list;
}

ChosenBackend ChooseBackend(std::span<const BackendEntry> list, const std::string &named) {
    ChosenBackend chosen;
    const auto tryOpen = [&chosen](const BackendEntry &entry) {
        std::string whyNot;
        chosen.backend = entry.open(whyNot);
        if (chosen.backend)
            chosen.name = entry.name;
        else
            chosen.problems.push_back(whyNot);
        return chosen.backend != nullptr;
    };
    for (const BackendEntry &entry : list)
        if (entry.name == named && tryOpen(entry))
            return chosen;
    for (const BackendEntry &entry : list)
        if (entry.name != named && entry.availableHere() && tryOpen(entry))
            return chosen;
    return chosen;
}
