#pragma once

#include "platform/wayland/PortalRequest.h"
#include "platform/wayland/WaylandScreenReader.h"

#include <functional>
#include <string>

// The portal's global "capture" shortcut (GlobalShortcuts), where the desktop binds one.
class GlobalShortcut {
  public:
    using Shortcut = WaylandScreenReader::Shortcut;
    using ShortcutState = WaylandScreenReader::ShortcutState;

    GlobalShortcut(PortalBus &bus, std::function<void(const Shortcut &)> changed,
                   std::function<void()> activated)
        : bus_(bus), request_(bus), changed_(std::move(changed)), activated_(std::move(activated)) {
    }

    void Begin(); // on an open bus
    // The portal went away (what it bound is gone, if anything was), or the bus did.
    void Lost(bool busLost);
    void Drop();  // before the bus closes
    void Close(); // at the end: closes the portal's session

  private:
    static int OnVersion(sd_bus_message *m, void *data, sd_bus_error *);
    static int OnActivated(sd_bus_message *m, void *data, sd_bus_error *);
    void CreateSession();
    void Bind();
    void Report(ShortcutState state, const std::string &trigger = {}) {
        changed_(Shortcut{state, trigger});
    }

    PortalBus &bus_;
    PortalRequest request_;
    std::function<void(const Shortcut &)> changed_;
    std::function<void()> activated_;
    sd_bus_slot *call_ = nullptr;
    sd_bus_slot *activation_ = nullptr;
    std::string session_;
};
