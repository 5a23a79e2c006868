#include "platform/wayland/GlobalShortcut.h"

#include <cstring>

namespace {
constexpr const char *kShortcutId = "capture";
}

// The interface can be on the bus without a desktop behind it (the portal lends any backend
// that has one), so only a shortcut the desktop actually bound counts.
void GlobalShortcut::Begin() {
    const int r = sd_bus_call_method_async(bus_.Bus(), &call_, portal::kService, portal::kPath,
                                           "org.freedesktop.DBus.Properties", "Get", OnVersion,
                                           this, "ss", portal::kShortcuts, "version");
    if (r < 0)
        Report(ShortcutState::Unavailable);
}

void GlobalShortcut::Lost(bool busLost) {
    if (session_.empty() && !busLost)
        return;
    session_.clear();
    Report(ShortcutState::Unavailable);
}

void GlobalShortcut::Drop() {
    request_.Drop();
    call_ = sd_bus_slot_unref(call_);
    activation_ = sd_bus_slot_unref(activation_);
}

void GlobalShortcut::Close() {
    request_.Drop();
    bus_.CloseObject(session_, "org.freedesktop.portal.Session");
}

int GlobalShortcut::OnVersion(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<GlobalShortcut *>(data);
    self->call_ = sd_bus_slot_unref(self->call_);
    if (sd_bus_message_is_method_error(m, nullptr))
        self->Report(ShortcutState::Unavailable);
    else
        self->CreateSession();
    return 0;
}

void GlobalShortcut::CreateSession() {
    Report(ShortcutState::Pending);
    request_.onResponse = [this](std::uint32_t code, sd_bus_message *reply) {
        const std::string session =
            code == 0 ? portal::ReadDictString(reply, "session_handle") : std::string();
        if (session.empty()) {
            Report(ShortcutState::Unavailable);
            return;
        }
        session_ = session;
        Bind();
    };
    request_.onError = [this](const std::string &) { Report(ShortcutState::Unavailable); };
    const std::string sessionToken = portal::RandomToken();
    if (!bus_.Send(request_, portal::kShortcuts, "CreateSession", nullptr,
                   [&](sd_bus_message *call) {
                       sd_bus_message_append(call, "{sv}", "session_handle_token", "s",
                                             sessionToken.c_str());
                   }))
        Report(ShortcutState::Unavailable);
}

void GlobalShortcut::Bind() {
    sd_bus_match_signal_async(bus_.Bus(), &activation_, nullptr, portal::kPath, portal::kShortcuts,
                              "Activated", OnActivated, nullptr, this);
    request_.onResponse = [this](std::uint32_t code, sd_bus_message *m) {
        bool bound = false;
        std::string trigger;
        if (code == 0)
            portal::ReadDict(m, [&](const std::string &key, const std::string &signature) {
                if (key != "shortcuts" || signature != "a(sa{sv})")
                    return false;
                sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "(sa{sv})");
                while (sd_bus_message_enter_container(m, SD_BUS_TYPE_STRUCT, "sa{sv}") > 0) {
                    const char *id = nullptr;
                    sd_bus_message_read(m, "s", &id);
                    const bool ours = id != nullptr && std::strcmp(id, kShortcutId) == 0;
                    bound = bound || ours;
                    portal::ReadDict(m, [&](const std::string &what, const std::string &type) {
                        if (!ours || what != "trigger_description")
                            return false;
                        trigger = portal::ReadString(m, type);
                        return true;
                    });
                    sd_bus_message_exit_container(m);
                }
                sd_bus_message_exit_container(m);
                return true;
            });
        Report(bound ? ShortcutState::Bound : ShortcutState::Unavailable, trigger);
    };
    request_.onError = [this](const std::string &) { Report(ShortcutState::Unavailable); };
    const bool sent = bus_.Send(
        request_, portal::kShortcuts, "BindShortcuts",
        [&](sd_bus_message *call) {
            sd_bus_message_append(call, "o", session_.c_str());
            sd_bus_message_open_container(call, SD_BUS_TYPE_ARRAY, "(sa{sv})");
            sd_bus_message_open_container(call, SD_BUS_TYPE_STRUCT, "sa{sv}");
            sd_bus_message_append(call, "s", kShortcutId);
            sd_bus_message_append(call, "a{sv}", 1, "description", "s",
                                  "Capture the colour under the pointer");
            sd_bus_message_close_container(call);
            sd_bus_message_close_container(call);
            sd_bus_message_append(call, "s", "");
        },
        nullptr);
    if (!sent)
        Report(ShortcutState::Unavailable);
}

int GlobalShortcut::OnActivated(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<GlobalShortcut *>(data);
    const char *session = nullptr;
    const char *id = nullptr;
    if (sd_bus_message_read(m, "os", &session, &id) < 0 || session == nullptr || id == nullptr)
        return 0;
    if (self->session_ == session && std::strcmp(id, kShortcutId) == 0 && self->activated_)
        self->activated_();
    return 0;
}
