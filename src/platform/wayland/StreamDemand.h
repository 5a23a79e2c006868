#pragma once

#include <cstdint>

// How much of the screen casts the window needs, from what it shows. A held colour and a
// minimised window read nothing, so the compositor need not render casts for them. Over the
// window's own code text every colour read changes the text, which changes the colour read:
// a loop that never settles: kept to a few frames a second while the pointer moves over the
// window, and to none while it rests there.
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

// What a full frame brought, against the one before it: the pointer somewhere else, another
// colour under it.
struct FrameNews {
    bool pointerMoved = false;
    bool colourChanged = true;
};

// Whether the streams run, for a demand, on the loop's clock (ns). In Slow, the streams run
// until their next full frame, then rest for SlowPeriodNs and until the pointer has moved
// since that frame. In Full they coast: a compositor that renders a whole picture for each
// move of the pointer (mutter with a cursor drawn in software) sends twenty a second that
// show nothing new while the pointer crosses one colour; after CoastAfterFrames such frames
// in a row the streams rest CoastPeriodNs after each, until one shows another colour or a
// pointer at rest. A compositor that sends the pointer alone sends no such frames.
class StreamPacer {
  public:
    static constexpr std::int64_t SlowPeriodNs = 250'000'000; // 4 frames a second
    static constexpr int CoastAfterFrames = 10;               // half a second at 20
    static constexpr std::int64_t CoastPeriodNs = 400'000'000;

    // restBetweenFrames false: Slow runs as Full, for a compositor where every resume costs
    // something that stays (KWin 5.27 adds a frame handler each time).
    explicit StreamPacer(bool restBetweenFrames = true) : rest_(restBetweenFrames) {}
    void SetRest(bool restBetweenFrames); // for the streams to come; a rest under way ends

    // True when the streams resume from a pause: the frames they keep are older than the
    // resume and may no longer be what is on screen, so none of them may be read again.
    bool Demand(StreamDemand demand);
    void FullFrame(std::int64_t now, FrameNews news = {});
    void Wake(std::int64_t now); // the timer asked for at NextWake() went off
    void PointerMoved();         // over the window
    // A capture is due: a rest ends now, so that it reads the screen as it is. True when the
    // streams were resting.
    bool Hurry();

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
    bool moved_ = false; // since the last frame in Slow
    int nothingNew_ = 0; // full frames in a row that only moved the pointer, in Full
};
