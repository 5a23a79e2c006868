#include "platform/wayland/ColourPick.h"

#include <algorithm>
#include <cmath>

void ColourPick::Begin(std::function<void(ColourValue)> done) {
    if (done_) {
        done(CLR_INVALID);
        return;
    }
    done_ = std::move(done);
    request_.onResponse = [this](std::uint32_t code, sd_bus_message *m) {
        ColourValue picked = CLR_INVALID;
        if (code == 0)
            portal::ReadDict(m, [&](const std::string &key, const std::string &signature) {
                double r = 0;
                double g = 0;
                double b = 0;
                if (key != "color" || signature != "(ddd)" ||
                    sd_bus_message_read(m, "(ddd)", &r, &g, &b) < 0)
                    return false;
                const auto channel = [](double v) {
                    return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
                };
                picked = RGB(channel(r), channel(g), channel(b));
                return true;
            });
        Finish(picked);
    };
    request_.onError = [this](const std::string &) { Finish(CLR_INVALID); };
    const bool sent = bus_.Send(
        request_, portal::kScreenshot, "PickColor",
        [](sd_bus_message *call) { sd_bus_message_append(call, "s", ""); }, nullptr);
    if (!sent)
        Finish(CLR_INVALID);
}

void ColourPick::Finish(ColourValue colour) {
    request_.Cancel();
    auto done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(colour);
}
