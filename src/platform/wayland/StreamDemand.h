#pragma once

#include <cstdint>

// How much of the screen casts the window needs, from what it shows. A held colour and a
// minimised window read nothing, so the compositor need not render casts for them. Over the
// window's own code text every colour read changes the text, which changes the colour read:
// a loop that never settles, kept to a few frames a second.
enum class StreamDemand { Paused, Slow, Full };

struct WindowActivity {
    bool held = false;
    bool minimised = false;
    bool pointerOverWindow = false;
    // A capture was asked for (a shortcut bound to --capture) while nothing was read: the
    // next tick must read the screen, minimised or not.
    bool captureDue = false;
};

StreamDemand DemandFor(const WindowActivity &activity);

// Whether the streams run, for a demand, on the loop's clock (ns). In Slow, the streams run
// until their next full frame, then rest for SlowPeriodNs.
class StreamPacer {
  public:
    static constexpr std::int64_t SlowPeriodNs = 250'000'000; // 4 frames a second

    // restBetweenFrames false: Slow runs as Full, for a compositor where every resume costs
    // something that stays (KWin 5.27 adds a frame handler each time).
    explicit StreamPacer(bool restBetweenFrames = true) : rest_(restBetweenFrames) {}
    void SetRest(bool restBetweenFrames); // for the streams to come; a rest under way ends

    // True when the streams resume from a pause: the frames they keep are older than the
    // resume and may no longer be what is on screen, so none of them may be read again.
    bool Demand(StreamDemand demand);
    void FullFrame(std::int64_t now);
    void Wake(std::int64_t now); // the timer asked for at NextWake() went off

    bool Active() const { return active_; }
    // Nothing is read while paused: the window neither shows nor needs a colour then.
    bool Reading() const { return demand_ != StreamDemand::Paused; }
    // When Wake() wants calling; 0 for never.
    std::int64_t NextWake() const { return wakeAt_; }

  private:
    bool rest_ = true;
    StreamDemand demand_ = StreamDemand::Full;
    bool active_ = true;
    std::int64_t wakeAt_ = 0;
};
