#include "platform/wayland/ScreenCastPortal.h"

#include "platform/wayland/PipeWireStreams.h"
#include "platform/wayland/RestoreToken.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace {

// A restore that takes longer than this is the desktop asking the user after all.
constexpr std::int64_t kRestoreGraceNs = 1500 * 1000000LL;

using State = WaylandScreenReader::State;

// The streams the portal granted, with where each monitor lies.
void ReadGrant(sd_bus_message *m, ScreenCastSession::Grant &grant) {
    bool unidentified = false;
    portal::ReadDict(m, [&](const std::string &key, const std::string &signature) {
        if (key == "restore_token") {
            grant.restoreToken = portal::ReadString(m, signature);
            return true;
        }
        if (key != "streams" || signature != "a(ua{sv})")
            return false;
        if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "(ua{sv})") < 0)
            return false;
        while (sd_bus_message_enter_container(m, SD_BUS_TYPE_STRUCT, "ua{sv}") > 0) {
            std::uint32_t node = 0;
            StreamPlacement placement;
            bool identified = false;
            sd_bus_message_read(m, "u", &node);
            portal::ReadDict(m, [&](const std::string &what, const std::string &type) {
                identified = identified || what == "id";
                if (type != "(ii)")
                    return false;
                int a = 0;
                int b = 0;
                if (sd_bus_message_read(m, "(ii)", &a, &b) < 0)
                    return true;
                if (what == "position") {
                    placement.hasPosition = true;
                    placement.logicalX = a;
                    placement.logicalY = b;
                } else if (what == "size") {
                    placement.logicalWidth = a;
                    placement.logicalHeight = b;
                }
                return true;
            });
            sd_bus_message_exit_container(m);
            unidentified = unidentified || !identified;
            grant.nodes.push_back(node);
            grant.placements.push_back(placement);
        }
        sd_bus_message_exit_container(m);
        return true;
    });
    grant.identified = !grant.nodes.empty() && !unidentified;
}

} // namespace

ScreenCastPortal::ScreenCastPortal(PortalBus &bus, pw_loop *loop, PipeWireStreams &streams,
                                   RestoreToken &token, Reporter report)
    : bus_(bus), loop_(loop), streams_(streams), token_(token), report_(std::move(report)),
      cast_(bus) {
    timer_ = pw_loop_add_timer(loop_, OnConsentTimer, this);
}

ScreenCastPortal::~ScreenCastPortal() {
    pw_loop_destroy_source(loop_, timer_);
}

void ScreenCastPortal::Drop() {
    cast_.Drop();
    call_ = sd_bus_slot_unref(call_);
    closed_ = sd_bus_slot_unref(closed_);
}

bool ScreenCastPortal::GetProperties() {
    return sd_bus_call_method_async(bus_.Bus(), &call_, portal::kService, portal::kPath,
                                    "org.freedesktop.DBus.Properties", "GetAll", OnProperties, this,
                                    "s", portal::kScreenCast) >= 0;
}

int ScreenCastPortal::OnProperties(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<ScreenCastPortal *>(data);
    self->call_ = sd_bus_slot_unref(self->call_);
    if (sd_bus_message_is_method_error(m, nullptr)) {
        self->session_.CallFailed(portal::ErrorText(m));
        return 0;
    }
    ScreenCastSession::Abilities abilities;
    portal::ReadDict(m, [&](const std::string &key, const std::string &signature) {
        std::uint32_t *into = key == "version"                ? &abilities.version
                              : key == "AvailableCursorModes" ? &abilities.cursorModes
                              : key == "AvailableSourceTypes" ? &abilities.sourceTypes
                                                              : nullptr;
        return into != nullptr && signature == "u" && sd_bus_message_read_basic(m, 'u', into) >= 0;
    });
    self->session_.Properties(abilities);
    return 0;
}

bool ScreenCastPortal::Send(const char *member, const std::function<void(sd_bus_message *)> &append,
                            const std::function<void(sd_bus_message *)> &extra,
                            std::function<void(std::uint32_t, sd_bus_message *)> onResponse) {
    cast_.onResponse = std::move(onResponse);
    cast_.onError = [this](const std::string &error) { session_.CallFailed(error); };
    return bus_.Send(cast_, portal::kScreenCast, member, append, extra);
}

bool ScreenCastPortal::CreateSession() {
    const std::string sessionToken = portal::RandomToken();
    return Send(
        "CreateSession", nullptr,
        [&](sd_bus_message *call) {
            sd_bus_message_append(call, "{sv}", "session_handle_token", "s", sessionToken.c_str());
        },
        [this](std::uint32_t code, sd_bus_message *m) {
            const std::string handle =
                code == 0 ? portal::ReadDictString(m, "session_handle") : std::string();
            if (!handle.empty())
                sd_bus_match_signal_async(bus_.Bus(), &closed_, nullptr, handle.c_str(),
                                          "org.freedesktop.portal.Session", "Closed", OnClosed,
                                          nullptr, this);
            session_.SessionCreated(handle);
        });
}

int ScreenCastPortal::OnClosed(sd_bus_message *, void *data, sd_bus_error *) {
    auto *self = static_cast<ScreenCastPortal *>(data);
    self->closed_ = sd_bus_slot_unref(self->closed_);
    self->session_.Closed();
    return 0;
}

bool ScreenCastPortal::SelectSources(const std::string &handle, bool persist,
                                     const std::string &restore) {
    return Send(
        "SelectSources",
        [&](sd_bus_message *call) { sd_bus_message_append(call, "o", handle.c_str()); },
        [&](sd_bus_message *call) {
            sd_bus_message_append(call, "{sv}", "types", "u", ScreenCastSession::kSourceMonitor);
            sd_bus_message_append(call, "{sv}", "multiple", "b", 1);
            sd_bus_message_append(call, "{sv}", "cursor_mode", "u",
                                  ScreenCastSession::kCursorMetadata);
            if (persist)
                sd_bus_message_append(call, "{sv}", "persist_mode", "u",
                                      ScreenCastSession::kPersistUntilRevoked);
            if (!restore.empty())
                sd_bus_message_append(call, "{sv}", "restore_token", "s", restore.c_str());
        },
        [this](std::uint32_t code, sd_bus_message *) { session_.SourcesSelected(code); });
}

bool ScreenCastPortal::Start(const std::string &handle) {
    return Send(
        "Start",
        [&](sd_bus_message *call) { sd_bus_message_append(call, "os", handle.c_str(), ""); },
        nullptr,
        [this](std::uint32_t code, sd_bus_message *m) {
            ScreenCastSession::Grant grant;
            if (code == 0)
                ReadGrant(m, grant);
            session_.Started(code, grant);
        });
}

bool ScreenCastPortal::OpenRemote(const std::string &handle) {
    sd_bus_message *call = nullptr;
    int r = sd_bus_message_new_method_call(bus_.Bus(), &call, portal::kService, portal::kPath,
                                           portal::kScreenCast, "OpenPipeWireRemote");
    if (r >= 0)
        r = sd_bus_message_append(call, "oa{sv}", handle.c_str(), 0);
    if (r >= 0)
        r = sd_bus_call_async(bus_.Bus(), &call_, call, OnRemote, this, 0);
    sd_bus_message_unref(call);
    return r >= 0;
}

int ScreenCastPortal::OnRemote(sd_bus_message *m, void *data, sd_bus_error *) {
    auto *self = static_cast<ScreenCastPortal *>(data);
    self->call_ = sd_bus_slot_unref(self->call_);
    int fd = -1;
    if (sd_bus_message_is_method_error(m, nullptr))
        self->session_.CallFailed(portal::ErrorText(m));
    else if (sd_bus_message_read(m, "h", &fd) < 0)
        self->session_.CallFailed("no PipeWire connection");
    else
        self->session_.RemoteOpened(fd);
    return 0;
}

std::string ScreenCastPortal::ConnectStreams(int fd, const std::vector<std::uint32_t> &nodes,
                                             const std::vector<StreamPlacement> &placements,
                                             bool rest) {
    // The message owns its descriptor; PipeWire takes ours.
    const int own = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (own < 0)
        return std::strerror(errno);
    return streams_.Connect(own, nodes, placements, rest);
}

void ScreenCastPortal::Close(const std::string &handle) {
    streams_.Disconnect();
    cast_.Cancel();
    call_ = sd_bus_slot_unref(call_);
    closed_ = sd_bus_slot_unref(closed_);
    bus_.CloseObject(handle, "org.freedesktop.portal.Session");
}

void ScreenCastPortal::ConsentTimer(bool armed) {
    timespec at{};
    if (armed)
        at = {kRestoreGraceNs / 1000000000LL, kRestoreGraceNs % 1000000000LL};
    if (timer_ != nullptr)
        pw_loop_update_timer(loop_, timer_, &at, nullptr, false);
}

void ScreenCastPortal::OnConsentTimer(void *data, std::uint64_t) {
    static_cast<ScreenCastPortal *>(data)->session_.ConsentTimeout();
}

std::string ScreenCastPortal::LoadToken() {
    return token_.Load();
}
void ScreenCastPortal::StoreToken(const std::string &value) {
    token_.Store(value);
}
void ScreenCastPortal::Report(State state, const std::string &detail) {
    report_(state, detail);
}
