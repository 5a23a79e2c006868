#pragma once

#include "core/ScreenReader.h"
#include "platform/wayland/PortalRequest.h"

#include <functional>

// One colour picked by the user through the desktop's own picker (Screenshot.PickColor).
class ColourPick {
  public:
    explicit ColourPick(PortalBus &bus) : bus_(bus), request_(bus) {}

    // One pick at a time: `done` gets CLR_INVALID at once while another is open, or when the
    // portal cannot be asked; later, the colour, or CLR_INVALID when cancelled.
    void Begin(std::function<void(ColourValue)> done);
    bool Open() const { return static_cast<bool>(done_); }
    // Ends an open pick with CLR_INVALID (the portal went away), closing its dialog.
    void Abandon() { Finish(CLR_INVALID); }
    void Drop() { request_.Drop(); }       // before the bus closes
    void Withdraw() { request_.Cancel(); } // at the end: closes its dialog, tells no one

  private:
    void Finish(ColourValue colour);

    PortalBus &bus_;
    PortalRequest request_;
    std::function<void(ColourValue)> done_;
};
