#pragma once

// The desktop portal on sd-bus: the connection, run on PipeWire's loop, and the
// request/response pattern its methods answer with.
#include <pipewire/loop.h>
#include <systemd/sd-bus.h>

#include <cstdint>
#include <functional>
#include <string>

namespace portal {

inline constexpr const char *kService = "org.freedesktop.portal.Desktop";
inline constexpr const char *kPath = "/org/freedesktop/portal/desktop";
inline constexpr const char *kScreenCast = "org.freedesktop.portal.ScreenCast";
inline constexpr const char *kScreenshot = "org.freedesktop.portal.Screenshot";
inline constexpr const char *kShortcuts = "org.freedesktop.portal.GlobalShortcuts";

// A token for handle_token and session_handle_token, unique within the process.
std::string RandomToken();
std::string ReadString(sd_bus_message *m, const std::string &signature);
std::string ErrorText(sd_bus_message *reply);
std::int64_t MonotonicNs();

// Reads an a{sv} at the message's read position. `take(key, signature)` reads the variant's
// contents when it wants them and answers true; anything it leaves is skipped.
template <typename Take> int ReadDict(sd_bus_message *m, Take &&take) {
    int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}");
    if (r < 0)
        return r;
    while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv")) > 0) {
        const char *key = nullptr;
        const char *contents = nullptr;
        if ((r = sd_bus_message_read(m, "s", &key)) < 0 ||
            (r = sd_bus_message_peek_type(m, nullptr, &contents)) < 0 ||
            (r = sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, contents)) < 0)
            return r;
        const std::string name = key;
        const std::string signature = contents;
        if (!take(name, signature) && (r = sd_bus_message_skip(m, signature.c_str())) < 0)
            return r;
        if ((r = sd_bus_message_exit_container(m)) < 0 ||
            (r = sd_bus_message_exit_container(m)) < 0)
            return r;
    }
    if (r < 0)
        return r;
    return sd_bus_message_exit_container(m);
}

// The string under key in the a{sv} at the read position; empty when there is none.
inline std::string ReadDictString(sd_bus_message *m, const std::string &key) {
    std::string value;
    ReadDict(m, [&](const std::string &name, const std::string &signature) {
        if (name != key)
            return false;
        value = ReadString(m, signature);
        return true;
    });
    return value;
}

} // namespace portal

class PortalBus;

// One portal request: the method call, then its Response signal on a path we predict, so that
// the match is in place before the portal can answer.
struct PortalRequest {
    explicit PortalRequest(PortalBus &owner) : bus(&owner) {}

    PortalBus *bus;
    std::string path;
    sd_bus_slot *match = nullptr;
    sd_bus_slot *call = nullptr;
    std::function<void(std::uint32_t, sd_bus_message *)> onResponse;
    std::function<void(const std::string &)> onError;

    bool Open() const { return match != nullptr; }
    void Drop();
    // Withdraws an unanswered request, closing its dialog if one is up.
    void Cancel();
};

// The session bus, dispatched from PipeWire's loop: it never blocks and never polls.
class PortalBus {
  public:
    explicit PortalBus(pw_loop *loop) : loop_(loop) {}

    // Answers false, with the reason, when there is no session bus.
    bool Open(std::string &error);
    void Close(); // every request and slot on it must be dropped first
    sd_bus *Bus() const { return bus_; }

    // Dispatches what the bus has, then waits for what it needs next.
    void Pump();

    // Sends a portal method whose answer comes as a Response signal. `append` adds the
    // arguments before the options; `extra` adds entries to the options after handle_token.
    bool Send(PortalRequest &request, const char *interface, const char *member,
              const std::function<void(sd_bus_message *)> &append,
              const std::function<void(sd_bus_message *)> &extra);

    // Closes a portal session or request object, not waiting for the answer.
    void CloseObject(const std::string &path, const char *interface);

    // The connection broke (after this the caller closes the bus) / the portal left the bus.
    std::function<void(const std::string &)> onLost;
    std::function<void()> onPortalGone;

  private:
    static int OnOwnerChanged(sd_bus_message *m, void *data, sd_bus_error *);

    pw_loop *loop_;
    sd_bus *bus_ = nullptr;
    std::string sender_; // unique name as request paths spell it
    bool pumping_ = false;
    sd_bus_slot *ownerWatch_ = nullptr;
    spa_source *io_ = nullptr;
    spa_source *timer_ = nullptr;
};
