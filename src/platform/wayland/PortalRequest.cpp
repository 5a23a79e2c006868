#include "platform/wayland/PortalRequest.h"

#include <pipewire/pipewire.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <random>

namespace portal {

std::string RandomToken() {
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    return "kalvor" + std::to_string(device() % 1000000u) + "_" + std::to_string(++counter);
}

std::string ReadString(sd_bus_message *m, const std::string &signature) {
    const char *text = nullptr;
    if ((signature == "s" || signature == "o") &&
        sd_bus_message_read_basic(m, signature[0], &text) >= 0 && text != nullptr)
        return text;
    sd_bus_message_skip(m, signature.c_str());
    return {};
}

std::string ErrorText(sd_bus_message *reply) {
    const sd_bus_error *error = sd_bus_message_get_error(reply);
    if (error == nullptr)
        return "unknown error";
    return std::string(error->message != nullptr ? error->message : error->name);
}

std::int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

} // namespace portal

namespace {

int OnRequestReply(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *request = static_cast<PortalRequest *>(data);
    request->call = sd_bus_slot_unref(request->call);
    if (!sd_bus_message_is_method_error(m, nullptr))
        return 0; // the handle; the answer comes as Response
    auto onError = std::move(request->onError);
    request->Drop();
    if (onError)
        onError(portal::ErrorText(m));
    return 0;
}

int OnResponse(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *request = static_cast<PortalRequest *>(data);
    auto onResponse = std::move(request->onResponse);
    request->Drop();
    std::uint32_t code = 2;
    if (sd_bus_message_read(m, "u", &code) < 0)
        code = 2;
    if (onResponse)
        onResponse(code, m);
    return 0;
}

void OnBusIo(void *data, int, std::uint32_t) {
    static_cast<PortalBus *>(data)->Pump();
}
void OnBusTimer(void *data, std::uint64_t) {
    static_cast<PortalBus *>(data)->Pump();
}

} // namespace

void PortalRequest::Drop() {
    match = sd_bus_slot_unref(match);
    call = sd_bus_slot_unref(call);
    onResponse = nullptr;
    onError = nullptr;
}

void PortalRequest::Cancel() {
    if (Open())
        bus->CloseObject(path, "org.freedesktop.portal.Request");
    Drop();
}

bool PortalBus::Open(std::string &error) {
    if (bus_ != nullptr)
        return true;
    sd_bus *opened = nullptr;
    if (const int r = sd_bus_open_user(&opened); r < 0) {
        error = std::string("no session bus: ") + std::strerror(-r);
        return false;
    }
    bus_ = opened;
    sender_.clear();
    io_ = pw_loop_add_io(loop_, sd_bus_get_fd(bus_), SPA_IO_IN, false, OnBusIo, this);
    timer_ = pw_loop_add_timer(loop_, OnBusTimer, this);
    sd_bus_add_match_async(bus_, &ownerWatch_,
                           "type='signal',sender='org.freedesktop.DBus',"
                           "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                           "arg0='org.freedesktop.portal.Desktop'",
                           OnOwnerChanged, nullptr, this);
    return true;
}

void PortalBus::Close() {
    ownerWatch_ = sd_bus_slot_unref(ownerWatch_);
    if (io_ != nullptr)
        pw_loop_destroy_source(loop_, io_);
    if (timer_ != nullptr)
        pw_loop_destroy_source(loop_, timer_);
    io_ = nullptr;
    timer_ = nullptr;
    if (bus_ != nullptr)
        sd_bus_flush_close_unref(bus_);
    bus_ = nullptr;
}

void PortalBus::Pump() {
    if (bus_ == nullptr || pumping_)
        return;
    pumping_ = true;
    int r = 0;
    while ((r = sd_bus_process(bus_, nullptr)) > 0) {
    }
    pumping_ = false;
    if (r < 0) {
        if (onLost)
            onLost(std::string("session bus lost: ") + std::strerror(-r));
        return;
    }
    const int events = sd_bus_get_events(bus_);
    std::uint32_t mask = SPA_IO_IN;
    if (events > 0 && (events & POLLOUT) != 0)
        mask |= SPA_IO_OUT;
    pw_loop_update_io(loop_, io_, mask);
    std::uint64_t until = 0;
    timespec when{};
    if (sd_bus_get_timeout(bus_, &until) >= 0 && until != UINT64_MAX) {
        const std::uint64_t now = static_cast<std::uint64_t>(portal::MonotonicNs() / 1000);
        const std::uint64_t at = std::max(until, now + 1);
        when.tv_sec = static_cast<time_t>(at / 1000000u);
        when.tv_nsec = static_cast<long>((at % 1000000u) * 1000u);
    }
    pw_loop_update_timer(loop_, timer_, &when, nullptr, true);
}

int PortalBus::OnOwnerChanged(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<PortalBus *>(data);
    const char *name = nullptr;
    const char *before = nullptr;
    const char *after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) < 0 || after == nullptr ||
        after[0] != '\0')
        return 0;
    if (self->onPortalGone)
        self->onPortalGone();
    return 0;
}

bool PortalBus::Send(PortalRequest &request, const char *interface, const char *member,
                     const std::function<void(sd_bus_message *)> &append,
                     const std::function<void(sd_bus_message *)> &extra) {
    request.match = sd_bus_slot_unref(request.match);
    request.call = sd_bus_slot_unref(request.call);
    if (bus_ == nullptr)
        return false;
    if (sender_.empty()) {
        // Asked only once a reply has come, so the bus is up and this does not block.
        const char *unique = nullptr;
        if (sd_bus_get_unique_name(bus_, &unique) < 0 || unique == nullptr)
            return false;
        sender_ = unique + 1;
        std::replace(sender_.begin(), sender_.end(), '.', '_');
    }
    const std::string handle = portal::RandomToken();
    request.path = std::string(portal::kPath) + "/request/" + sender_ + "/" + handle;
    sd_bus_message *call = nullptr;
    int r = sd_bus_match_signal_async(bus_, &request.match, nullptr, request.path.c_str(),
                                      "org.freedesktop.portal.Request", "Response", OnResponse,
                                      nullptr, &request);
    if (r >= 0)
        r = sd_bus_message_new_method_call(bus_, &call, portal::kService, portal::kPath, interface,
                                           member);
    if (r >= 0 && append)
        append(call);
    if (r >= 0)
        r = sd_bus_message_open_container(call, SD_BUS_TYPE_ARRAY, "{sv}");
    if (r >= 0)
        r = sd_bus_message_append(call, "{sv}", "handle_token", "s", handle.c_str());
    if (r >= 0 && extra)
        extra(call);
    if (r >= 0)
        r = sd_bus_message_close_container(call);
    if (r >= 0)
        r = sd_bus_call_async(bus_, &request.call, call, OnRequestReply, &request, 0);
    sd_bus_message_unref(call);
    if (r < 0) {
        request.Drop();
        return false;
    }
    return true;
}

void PortalBus::CloseObject(const std::string &path, const char *interface) {
    if (bus_ != nullptr && !path.empty())
        sd_bus_call_method_async(bus_, nullptr, portal::kService, path.c_str(), interface, "Close",
                                 nullptr, nullptr, "");
}
