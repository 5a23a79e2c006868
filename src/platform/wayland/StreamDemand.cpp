#include "platform/wayland/StreamDemand.h"

StreamDemand DemandFor(const WindowActivity &activity) {
    if (activity.captureDue && !activity.held)
        return StreamDemand::Full;
    if (activity.held || activity.minimised)
        return StreamDemand::Paused;
    return activity.pointerOverWindow ? StreamDemand::Slow : StreamDemand::Full;
}

bool StreamPacer::Demand(StreamDemand demand) {
    if (demand == demand_)
        return false;
    const bool resumed = demand_ == StreamDemand::Paused;
    demand_ = demand;
    wakeAt_ = 0;
    nothingNew_ = 0;
    active_ = demand != StreamDemand::Paused; // Slow runs until its next frame
    return resumed;
}

void StreamPacer::FullFrame(std::int64_t now, FrameNews news) {
    if (!active_ || !rest_)
        return;
    if (demand_ == StreamDemand::Full) {
        nothingNew_ = news.pointerMoved && !news.colourChanged ? nothingNew_ + 1 : 0;
        if (nothingNew_ < CoastAfterFrames)
            return;
    }
    active_ = false;
    wakeAt_ = now + (demand_ == StreamDemand::Full ? CoastPeriodNs : SlowPeriodNs);
    moved_ = false;
}

void StreamPacer::SetRest(bool restBetweenFrames) {
    rest_ = restBetweenFrames;
    if (!rest_ && demand_ != StreamDemand::Paused) {
        active_ = true;
        wakeAt_ = 0;
    }
}

void StreamPacer::Wake(std::int64_t now) {
    if (demand_ == StreamDemand::Paused || wakeAt_ == 0 || now < wakeAt_)
        return;
    wakeAt_ = 0;
    active_ = demand_ == StreamDemand::Full || moved_;
}

void StreamPacer::PointerMoved() {
    moved_ = true;
    if (demand_ == StreamDemand::Slow && !active_ && wakeAt_ == 0)
        active_ = true;
}

bool StreamPacer::Hurry() {
    if (demand_ == StreamDemand::Paused || active_)
        return false;
    active_ = true;
    wakeAt_ = 0;
    nothingNew_ = 0;
    return true;
}
