// The portal handshake (sd-bus) and the frames (PipeWire) share one thread: PipeWire's thread
// loop, which also watches the bus socket. Everything below runs there, under the loop's lock;
// the public functions either take that lock for a quick read or post work to the loop.
#include "platform/wayland/WaylandScreenReader.h"

#include "platform/wayland/DesktopLayout.h"
#include "platform/wayland/FrameFormat.h"
#include "platform/wayland/RestoreToken.h"
#include "platform/wayland/StreamDemand.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <random>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr const char *kPortal = "org.freedesktop.portal.Desktop";
constexpr const char *kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char *kScreenCast = "org.freedesktop.portal.ScreenCast";
constexpr const char *kScreenshot = "org.freedesktop.portal.Screenshot";
constexpr const char *kShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char *kShortcutId = "capture";

constexpr std::uint32_t kSourceMonitor = 1;
constexpr std::uint32_t kCursorMetadata = 4;
constexpr std::uint32_t kPersistUntilRevoked = 2;

// A restore that takes longer than this is the desktop asking the user after all.
constexpr std::int64_t kRestoreGraceNs = 1500 * 1000000LL;
// How long the first read after a resume waits for a frame newer than the resume.
constexpr std::int64_t kFreshFrameWaitNs = 200 * 1000000LL;

using State = WaylandScreenReader::State;

std::optional<FrameFormat> FromSpa(std::uint32_t format) {
    switch (format) {
    case SPA_VIDEO_FORMAT_BGRx:
        return FrameFormat::BGRx;
    case SPA_VIDEO_FORMAT_BGRA:
        return FrameFormat::BGRA;
    case SPA_VIDEO_FORMAT_RGBx:
        return FrameFormat::RGBx;
    case SPA_VIDEO_FORMAT_RGBA:
        return FrameFormat::RGBA;
    case SPA_VIDEO_FORMAT_xRGB:
        return FrameFormat::xRGB;
    case SPA_VIDEO_FORMAT_ARGB:
        return FrameFormat::ARGB;
    case SPA_VIDEO_FORMAT_xBGR:
        return FrameFormat::xBGR;
    case SPA_VIDEO_FORMAT_ABGR:
        return FrameFormat::ABGR;
    case SPA_VIDEO_FORMAT_xRGB_210LE:
        return FrameFormat::xRGB_210LE;
    case SPA_VIDEO_FORMAT_ARGB_210LE:
        return FrameFormat::ARGB_210LE;
    case SPA_VIDEO_FORMAT_xBGR_210LE:
        return FrameFormat::xBGR_210LE;
    case SPA_VIDEO_FORMAT_ABGR_210LE:
        return FrameFormat::ABGR_210LE;
    case SPA_VIDEO_FORMAT_RGBx_102LE:
        return FrameFormat::RGBx_102LE;
    case SPA_VIDEO_FORMAT_RGBA_102LE:
        return FrameFormat::RGBA_102LE;
    case SPA_VIDEO_FORMAT_BGRx_102LE:
        return FrameFormat::BGRx_102LE;
    case SPA_VIDEO_FORMAT_BGRA_102LE:
        return FrameFormat::BGRA_102LE;
    default:
        return std::nullopt;
    }
}

std::string RandomToken() {
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    return "kalvor" + std::to_string(device() % 1000000u) + "_" + std::to_string(++counter);
}

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

} // namespace

struct WaylandScreenReader::Engine {
    // One portal request: the method call, then its Response signal on a path we predict, so
    // that the match is in place before the portal can answer.
    struct Request {
        Engine *engine = nullptr;
        std::string path;
        sd_bus_slot *match = nullptr;
        sd_bus_slot *call = nullptr;
        std::function<void(std::uint32_t, sd_bus_message *)> onResponse;
        std::function<void(const std::string &)> onError;

        bool Open() const { return match != nullptr; }
        void Drop() {
            match = sd_bus_slot_unref(match);
            call = sd_bus_slot_unref(call);
            onResponse = nullptr;
            onError = nullptr;
        }
        // Withdraws an unanswered request, closing its dialog if one is up.
        void Cancel() {
            if (Open() && engine->bus != nullptr)
                sd_bus_call_method_async(engine->bus, nullptr, kPortal, path.c_str(),
                                         "org.freedesktop.portal.Request", "Close", nullptr,
                                         nullptr, "");
            Drop();
        }
    };

    struct Stream {
        Engine *engine = nullptr;
        std::uint32_t node = 0;
        StreamPlacement placement;
        pw_stream *stream = nullptr;
        spa_hook hook{};
        bool streaming = false;
        std::optional<FrameFormat> format;
        pw_buffer *held = nullptr; // the newest buffer with pixels, kept out of the queue
        FrameView frame;
        bool cursorIn = false;
        ScreenPoint cursor;
        std::uint64_t cursorSeq = 0;
        std::uint64_t fullFrames = 0;
        std::uint64_t cursorOnly = 0;
        unsigned toDrop = 0;
        int framelessTicks = 0; // watchdog ticks spent streaming without a picture
        // A buffer with pixels came (even one thrown away); pauses and resumes made while none
        // had; the compositor moves the pointer but records no frame here.
        bool pictureSeen = false;
        unsigned resumes = 0;
        bool pointerOnly = false;
        bool active = true; // as last told to PipeWire
    };

    enum class Step { Idle, Checking, Session, Sources, Starting, Remote, Streaming };

    explicit Engine(Options o)
        : options(std::move(o)), token(options.stateFolder), pacer(options.restBetweenFrames) {}

    Options options;
    RestoreToken token;

    mutable std::mutex statusMutex;
    Status status{State::Starting, Describe(State::Starting)};
    Shortcut shortcut;

    // Work posted from other threads, done on the loop.
    std::mutex postMutex;
    bool startPosted = false;
    bool askPosted = false;
    std::vector<std::function<void(ColourValue)>> picksPosted;
    // Failures seen inside PipeWire callbacks, where streams cannot be destroyed.
    bool failurePending = false;
    State failureState = State::PipeWireDied;
    std::string failureDetail;

    pw_thread_loop *thread = nullptr;
    pw_loop *loop = nullptr;
    spa_source *wake = nullptr;
    spa_source *busIo = nullptr;
    spa_source *busTimer = nullptr;
    spa_source *consentTimer = nullptr;
    spa_source *frameWatch = nullptr;
    spa_source *paceTimer = nullptr;
    StreamPacer pacer;
    std::int64_t resumedAt = 0; // the streams resumed from a pause; reads wait for new frames

    sd_bus *bus = nullptr;
    std::string sender; // unique name as request paths spell it
    bool pumping = false;
    sd_bus_slot *ownerWatch = nullptr;

    Step step = Step::Idle;
    Request cast{this, {}, nullptr, nullptr, nullptr, nullptr};
    sd_bus_slot *castCall = nullptr; // GetAll, OpenPipeWireRemote
    std::string castSession;
    sd_bus_slot *castClosed = nullptr;
    std::uint32_t castVersion = 0;
    bool usedToken = false;
    std::vector<StreamPlacement> offered;
    std::vector<std::uint32_t> offeredNodes;

    pw_context *context = nullptr;
    pw_core *core = nullptr;
    spa_hook coreHook{};
    std::vector<std::unique_ptr<Stream>> streams;
    std::vector<ScreenRect> rects;
    std::uint64_t cursorSeq = 0;

    Request pick{this, {}, nullptr, nullptr, nullptr, nullptr};
    std::function<void(ColourValue)> pickDone;

    Request bind{this, {}, nullptr, nullptr, nullptr, nullptr};
    sd_bus_slot *shortcutCall = nullptr;
    sd_bus_slot *shortcutActivated = nullptr;
    std::string shortcutSession;

    // ---- status ---------------------------------------------------------------------------

    void SetStatus(State state, const std::string &detail = {}) {
        Status now{state, Describe(state)};
        if (!detail.empty())
            now.text += " (" + detail + ")";
        {
            std::lock_guard<std::mutex> lock(statusMutex);
            if (status.state == now.state && status.text == now.text)
                return;
            status = now;
        }
        if (options.onStatusChanged)
            options.onStatusChanged(now);
    }

    State CurrentState() const {
        std::lock_guard<std::mutex> lock(statusMutex);
        return status.state;
    }

    void SetShortcut(ShortcutState state, const std::string &trigger = {}) {
        Shortcut now{state, trigger};
        {
            std::lock_guard<std::mutex> lock(statusMutex);
            shortcut = now;
        }
        if (options.onShortcutChanged)
            options.onShortcutChanged(now);
    }

    // ---- the loop ------------------------------------------------------------------------

    void Post() {
        if (loop != nullptr && wake != nullptr)
            pw_loop_signal_event(loop, wake);
    }

    static void OnWake(void *data, std::uint64_t) { static_cast<Engine *>(data)->DoPosted(); }

    void DoPosted() {
        bool start = false;
        bool ask = false;
        bool fail = false;
        State failState = State::PipeWireDied;
        std::string failText;
        std::vector<std::function<void(ColourValue)>> picks;
        {
            std::lock_guard<std::mutex> lock(postMutex);
            start = std::exchange(startPosted, false);
            ask = std::exchange(askPosted, false);
            fail = std::exchange(failurePending, false);
            failState = failureState;
            failText = failureDetail;
            picks.swap(picksPosted);
        }
        if (fail)
            Fail(failState, failText);
        if (start) {
            if (OpenBus() && options.registerShortcut)
                BeginShortcut();
            BeginScreenCast();
        }
        // A handshake under way is left alone (its dialog may be up); streams that never
        // started are not.
        const bool handshaking = step != Step::Idle && step != Step::Streaming;
        if (ask && !handshaking && CurrentState() != State::Sampling)
            BeginScreenCast();
        for (auto &done : picks)
            BeginPick(std::move(done));
        Pump();
    }

    // A failure found inside a PipeWire callback: handled on the next loop turn.
    void FailLater(State state, const std::string &detail) {
        {
            std::lock_guard<std::mutex> lock(postMutex);
            if (failurePending)
                return;
            failurePending = true;
            failureState = state;
            failureDetail = detail;
        }
        Post();
    }

    // ---- the bus ---------------------------------------------------------------------------

    bool OpenBus() {
        if (bus != nullptr)
            return true;
        sd_bus *opened = nullptr;
        if (const int r = sd_bus_open_user(&opened); r < 0) {
            SetStatus(State::PortalMissing, std::string("no session bus: ") + std::strerror(-r));
            return false;
        }
        bus = opened;
        sender.clear();
        busIo = pw_loop_add_io(loop, sd_bus_get_fd(bus), SPA_IO_IN, false, OnBusIo, this);
        busTimer = pw_loop_add_timer(loop, OnBusTimer, this);
        sd_bus_add_match_async(bus, &ownerWatch,
                               "type='signal',sender='org.freedesktop.DBus',"
                               "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                               "arg0='org.freedesktop.portal.Desktop'",
                               OnOwnerChanged, nullptr, this);
        return true;
    }

    void CloseBus() {
        cast.Drop();
        pick.Drop();
        bind.Drop();
        castCall = sd_bus_slot_unref(castCall);
        castClosed = sd_bus_slot_unref(castClosed);
        shortcutCall = sd_bus_slot_unref(shortcutCall);
        shortcutActivated = sd_bus_slot_unref(shortcutActivated);
        ownerWatch = sd_bus_slot_unref(ownerWatch);
        if (busIo != nullptr)
            pw_loop_destroy_source(loop, busIo);
        if (busTimer != nullptr)
            pw_loop_destroy_source(loop, busTimer);
        busIo = nullptr;
        busTimer = nullptr;
        if (bus != nullptr)
            sd_bus_flush_close_unref(bus);
        bus = nullptr;
    }

    static void OnBusIo(void *data, int, std::uint32_t) { static_cast<Engine *>(data)->Pump(); }
    static void OnBusTimer(void *data, std::uint64_t) { static_cast<Engine *>(data)->Pump(); }

    // Dispatches what the bus has, then waits for what it needs next: never polls.
    void Pump() {
        if (bus == nullptr || pumping)
            return;
        pumping = true;
        int r = 0;
        while ((r = sd_bus_process(bus, nullptr)) > 0) {
        }
        pumping = false;
        if (r < 0) {
            const std::string why = std::string("session bus lost: ") + std::strerror(-r);
            CloseBus();
            StopCast();
            if (pickDone)
                FinishPick(CLR_INVALID);
            SetShortcut(ShortcutState::Unavailable);
            SetStatus(State::PortalMissing, why);
            return;
        }
        const int events = sd_bus_get_events(bus);
        std::uint32_t mask = SPA_IO_IN;
        if (events > 0 && (events & POLLOUT) != 0)
            mask |= SPA_IO_OUT;
        pw_loop_update_io(loop, busIo, mask);
        std::uint64_t until = 0;
        timespec when{};
        if (sd_bus_get_timeout(bus, &until) >= 0 && until != UINT64_MAX) {
            const std::uint64_t now = static_cast<std::uint64_t>(MonotonicNs() / 1000);
            const std::uint64_t at = std::max(until, now + 1);
            when.tv_sec = static_cast<time_t>(at / 1000000u);
            when.tv_nsec = static_cast<long>((at % 1000000u) * 1000u);
        }
        pw_loop_update_timer(loop, busTimer, &when, nullptr, true);
    }

    static int OnOwnerChanged(sd_bus_message *m, void *data, sd_bus_error *) {
        auto *self = static_cast<Engine *>(data);
        const char *name = nullptr;
        const char *before = nullptr;
        const char *after = nullptr;
        if (sd_bus_message_read(m, "sss", &name, &before, &after) < 0 || after == nullptr ||
            after[0] != '\0')
            return 0;
        // The portal went away: whatever it was doing for us is gone with it.
        const bool casting = self->step != Step::Idle;
        self->StopCast();
        if (self->pickDone)
            self->FinishPick(CLR_INVALID);
        if (!self->shortcutSession.empty()) {
            self->shortcutSession.clear();
            self->SetShortcut(ShortcutState::Unavailable);
        }
        if (self->CurrentState() != State::NoCursorMetadata || casting)
            self->SetStatus(State::PortalMissing, "the portal stopped");
        return 0;
    }

    // Sends a portal method whose answer comes as a Response signal. `append` adds the
    // arguments before the options; `options` adds entries to the options after handle_token.
    bool Send(Request &request, const char *interface, const char *member,
              const std::function<void(sd_bus_message *)> &append,
              const std::function<void(sd_bus_message *)> &extra) {
        request.match = sd_bus_slot_unref(request.match);
        request.call = sd_bus_slot_unref(request.call);
        if (sender.empty()) {
            // Asked only once a reply has come, so the bus is up and this does not block.
            const char *unique = nullptr;
            if (sd_bus_get_unique_name(bus, &unique) < 0 || unique == nullptr)
                return false;
            sender = unique + 1;
            std::replace(sender.begin(), sender.end(), '.', '_');
        }
        const std::string handle = RandomToken();
        request.path = std::string(kPortalPath) + "/request/" + sender + "/" + handle;
        sd_bus_message *call = nullptr;
        int r = sd_bus_match_signal_async(bus, &request.match, nullptr, request.path.c_str(),
                                          "org.freedesktop.portal.Request", "Response", OnResponse,
                                          nullptr, &request);
        if (r >= 0)
            r = sd_bus_message_new_method_call(bus, &call, kPortal, kPortalPath, interface, member);
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
            r = sd_bus_call_async(bus, &request.call, call, OnRequestReply, &request, 0);
        sd_bus_message_unref(call);
        if (r < 0) {
            request.Drop();
            return false;
        }
        return true;
    }

    static int OnRequestReply(sd_bus_message *m, void *data, sd_bus_error *) {
        auto *request = static_cast<Request *>(data);
        request->call = sd_bus_slot_unref(request->call);
        if (!sd_bus_message_is_method_error(m, nullptr))
            return 0; // the handle; the answer comes as Response
        auto onError = std::move(request->onError);
        request->Drop();
        if (onError)
            onError(ErrorText(m));
        return 0;
    }

    static int OnResponse(sd_bus_message *m, void *data, sd_bus_error *) {
        auto *request = static_cast<Request *>(data);
        auto onResponse = std::move(request->onResponse);
        request->Drop();
        std::uint32_t code = 2;
        if (sd_bus_message_read(m, "u", &code) < 0)
            code = 2;
        if (onResponse)
            onResponse(code, m);
        return 0;
    }

    // ---- screen cast ---------------------------------------------------------------------

    void BeginScreenCast() {
        StopCast();
        if (!OpenBus())
            return;
        SetStatus(State::Starting);
        step = Step::Checking;
        const int r = sd_bus_call_method_async(bus, &castCall, kPortal, kPortalPath,
                                               "org.freedesktop.DBus.Properties", "GetAll",
                                               OnCastProperties, this, "s", kScreenCast);
        if (r < 0)
            FailNow(State::PortalMissing, std::strerror(-r));
    }

    static int OnCastProperties(sd_bus_message *m, void *data, sd_bus_error *) {
        auto *self = static_cast<Engine *>(data);
        self->castCall = sd_bus_slot_unref(self->castCall);
        if (sd_bus_message_is_method_error(m, nullptr)) {
            self->FailNow(State::PortalMissing, ErrorText(m));
            return 0;
        }
        std::uint32_t version = 0;
        std::uint32_t cursorModes = 0;
        std::uint32_t sourceTypes = 0;
        ReadDict(m, [&](const std::string &key, const std::string &signature) {
            std::uint32_t *into = key == "version"                ? &version
                                  : key == "AvailableCursorModes" ? &cursorModes
                                  : key == "AvailableSourceTypes" ? &sourceTypes
                                                                  : nullptr;
            return into != nullptr && signature == "u" &&
                   sd_bus_message_read_basic(m, 'u', into) >= 0;
        });
        if (version == 0 || (sourceTypes & kSourceMonitor) == 0) {
            self->FailNow(State::PortalMissing, "no screen casting of monitors");
            return 0;
        }
        if ((cursorModes & kCursorMetadata) == 0) {
            self->FailNow(State::NoCursorMetadata, {});
            return 0;
        }
        self->castVersion = version;
        self->CreateSession();
        return 0;
    }

    void CreateSession() {
        step = Step::Session;
        cast.onResponse = [this](std::uint32_t code, sd_bus_message *m) {
            std::string session;
            if (code == 0)
                ReadDict(m, [&](const std::string &key, const std::string &signature) {
                    if (key != "session_handle")
                        return false;
                    session = ReadString(m, signature);
                    return true;
                });
            if (session.empty()) {
                FailNow(State::PortalMissing, "the portal opened no session");
                return;
            }
            castSession = session;
            sd_bus_match_signal_async(bus, &castClosed, nullptr, castSession.c_str(),
                                      "org.freedesktop.portal.Session", "Closed", OnCastClosed,
                                      nullptr, this);
            SelectSources();
        };
        cast.onError = [this](const std::string &error) { FailNow(State::PortalMissing, error); };
        const std::string sessionToken = RandomToken();
        if (!Send(cast, kScreenCast, "CreateSession", nullptr, [&](sd_bus_message *call) {
                sd_bus_message_append(call, "{sv}", "session_handle_token", "s",
                                      sessionToken.c_str());
            }))
            FailNow(State::PortalMissing, "cannot call the portal");
    }

    void SelectSources() {
        step = Step::Sources;
        const std::string restore = castVersion >= 4 ? token.Load() : std::string();
        usedToken = !restore.empty();
        cast.onResponse = [this](std::uint32_t code, sd_bus_message *) {
            if (code != 0) {
                FailNow(code == 1 ? State::Refused : State::PortalMissing,
                        "no screen could be chosen");
                return;
            }
            StartCast();
        };
        cast.onError = [this](const std::string &error) { FailNow(State::PortalMissing, error); };
        const bool sent = Send(
            cast, kScreenCast, "SelectSources",
            [&](sd_bus_message *call) { sd_bus_message_append(call, "o", castSession.c_str()); },
            [&](sd_bus_message *call) {
                sd_bus_message_append(call, "{sv}", "types", "u", kSourceMonitor);
                sd_bus_message_append(call, "{sv}", "multiple", "b", 1);
                sd_bus_message_append(call, "{sv}", "cursor_mode", "u", kCursorMetadata);
                if (castVersion >= 4)
                    sd_bus_message_append(call, "{sv}", "persist_mode", "u", kPersistUntilRevoked);
                if (usedToken)
                    sd_bus_message_append(call, "{sv}", "restore_token", "s", restore.c_str());
            });
        if (!sent)
            FailNow(State::PortalMissing, "cannot call the portal");
    }

    void StartCast() {
        step = Step::Starting;
        if (usedToken) {
            // A stored permission is normally honoured within milliseconds; if not, the
            // desktop is showing its dialog.
            timespec after{kRestoreGraceNs / 1000000000LL, kRestoreGraceNs % 1000000000LL};
            pw_loop_update_timer(loop, consentTimer, &after, nullptr, false);
        } else {
            SetStatus(State::AskingConsent);
        }
        cast.onResponse = [this](std::uint32_t code, sd_bus_message *m) { OnStarted(code, m); };
        cast.onError = [this](const std::string &error) { FailNow(State::PortalMissing, error); };
        const bool sent = Send(
            cast, kScreenCast, "Start",
            [&](sd_bus_message *call) {
                sd_bus_message_append(call, "os", castSession.c_str(), "");
            },
            nullptr);
        if (!sent)
            FailNow(State::PortalMissing, "cannot call the portal");
    }

    static void OnConsentTimer(void *data, std::uint64_t) {
        auto *self = static_cast<Engine *>(data);
        if (self->step == Step::Starting)
            self->SetStatus(State::AskingConsent);
    }

    void OnStarted(std::uint32_t code, sd_bus_message *m) {
        StopConsentTimer();
        if (code != 0) {
            // A no from the user spends the stored permission; any other failure may pass,
            // and a token that no longer holds only brings the dialog back.
            if (code == 1)
                token.Store({});
            FailNow(State::Refused, code == 1 ? std::string() : "the desktop ended the request");
            return;
        }
        std::string restore;
        offered.clear();
        offeredNodes.clear();
        ReadDict(m, [&](const std::string &key, const std::string &signature) {
            if (key == "restore_token") {
                restore = ReadString(m, signature);
                return true;
            }
            if (key != "streams" || signature != "a(ua{sv})")
                return false;
            if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "(ua{sv})") < 0)
                return false;
            while (sd_bus_message_enter_container(m, SD_BUS_TYPE_STRUCT, "ua{sv}") > 0) {
                std::uint32_t node = 0;
                StreamPlacement placement;
                sd_bus_message_read(m, "u", &node);
                ReadDict(m, [&](const std::string &what, const std::string &type) {
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
                offeredNodes.push_back(node);
                offered.push_back(placement);
            }
            sd_bus_message_exit_container(m);
            return true;
        });
        // Every grant comes with a fresh token; the one we sent is spent.
        token.Store(restore);
        if (offeredNodes.empty()) {
            FailNow(State::Refused, "no monitor was shared");
            return;
        }
        step = Step::Remote;
        sd_bus_message *call = nullptr;
        int r = sd_bus_message_new_method_call(bus, &call, kPortal, kPortalPath, kScreenCast,
                                               "OpenPipeWireRemote");
        if (r >= 0)
            r = sd_bus_message_append(call, "oa{sv}", castSession.c_str(), 0);
        if (r >= 0)
            r = sd_bus_call_async(bus, &castCall, call, OnRemote, this, 0);
        sd_bus_message_unref(call);
        if (r < 0)
            FailNow(State::PipeWireDied, std::strerror(-r));
    }

    static int OnRemote(sd_bus_message *m, void *data, sd_bus_error *) {
        auto *self = static_cast<Engine *>(data);
        self->castCall = sd_bus_slot_unref(self->castCall);
        int fd = -1;
        if (sd_bus_message_is_method_error(m, nullptr) || sd_bus_message_read(m, "h", &fd) < 0) {
            self->FailNow(State::PipeWireDied, sd_bus_message_is_method_error(m, nullptr)
                                                   ? ErrorText(m)
                                                   : std::string("no PipeWire connection"));
            return 0;
        }
        // The message owns its descriptor; PipeWire takes ours.
        const int own = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        if (own < 0) {
            self->FailNow(State::PipeWireDied, std::strerror(errno));
            return 0;
        }
        self->ConnectStreams(own);
        return 0;
    }

    static int OnCastClosed(sd_bus_message *, void *data, sd_bus_error *) {
        auto *self = static_cast<Engine *>(data);
        self->castClosed = sd_bus_slot_unref(self->castClosed);
        self->castSession.clear(); // closed by the other side: nothing left to close
        self->FailNow(State::Revoked, {});
        return 0;
    }

    void StopConsentTimer() {
        timespec off{};
        if (consentTimer != nullptr)
            pw_loop_update_timer(loop, consentTimer, &off, nullptr, false);
    }

    // Drops the session, its request and its streams; the status is the caller's.
    void StopCast() {
        StopConsentTimer();
        DisconnectStreams();
        cast.Cancel();
        castCall = sd_bus_slot_unref(castCall);
        castClosed = sd_bus_slot_unref(castClosed);
        if (!castSession.empty() && bus != nullptr)
            sd_bus_call_method_async(bus, nullptr, kPortal, castSession.c_str(),
                                     "org.freedesktop.portal.Session", "Close", nullptr, nullptr,
                                     "");
        castSession.clear();
        step = Step::Idle;
    }

    void FailNow(State state, const std::string &detail) {
        StopCast();
        SetStatus(state, detail);
    }

    void Fail(State state, const std::string &detail) {
        if (step == Step::Idle)
            return; // already stopped, by an earlier failure or the portal
        FailNow(state, detail);
    }

    // ---- PipeWire --------------------------------------------------------------------------

    void ConnectStreams(int fd) {
        if (context == nullptr)
            context = pw_context_new(loop, nullptr, 0);
        if (context == nullptr) {
            close(fd);
            FailNow(State::PipeWireDied, "cannot set up PipeWire");
            return;
        }
        core = pw_context_connect_fd(context, fd, nullptr, 0);
        if (core == nullptr) {
            FailNow(State::PipeWireDied, std::strerror(errno));
            return;
        }
        static const pw_core_events coreEvents = [] {
            pw_core_events events{};
            events.version = PW_VERSION_CORE_EVENTS;
            events.error = OnCoreError;
            return events;
        }();
        // The listener macro casts C-style inside; nothing of ours to fix there.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
        pw_core_add_listener(core, &coreHook, &coreEvents, this);
#pragma GCC diagnostic pop
        step = Step::Streaming;
        SetStatus(State::Starting, "connecting to the screen streams");
        for (std::size_t i = 0; i < offeredNodes.size(); ++i) {
            auto stream = std::make_unique<Stream>();
            stream->engine = this;
            stream->node = offeredNodes[i];
            stream->placement = offered[i];
            stream->toDrop = options.dropFirstFrames;
            if (!ConnectStream(*stream)) {
                FailNow(State::PipeWireDied, "cannot open a screen stream");
                return;
            }
            streams.push_back(std::move(stream));
        }
        Relayout();
        timespec every{1, 0};
        pw_loop_update_timer(loop, frameWatch, &every, &every, false);
        ApplyPace();
    }

    // ---- pausing: what the window needs of the streams ------------------------------------

    void SetDemand(StreamDemand demand) {
        if (pacer.Demand(demand)) {
            // Whatever a stream kept from before the pause may be gone from the screen.
            for (auto &s : streams) {
                if (s->held != nullptr)
                    pw_stream_queue_buffer(s->stream, s->held);
                s->held = nullptr;
                s->frame = FrameView{};
                s->cursorIn = false;
            }
            resumedAt = MonotonicNs();
        }
        ApplyPace();
    }

    void ApplyPace() {
        for (auto &s : streams)
            if (s->active != pacer.Active()) {
                s->active = pacer.Active();
                pw_stream_set_active(s->stream, s->active);
            }
        timespec at{};
        if (const std::int64_t due = pacer.NextWake(); due != 0) {
            const std::int64_t in = std::max<std::int64_t>(1, due - MonotonicNs());
            at = {static_cast<time_t>(in / 1000000000LL), static_cast<long>(in % 1000000000LL)};
        }
        if (paceTimer != nullptr)
            pw_loop_update_timer(loop, paceTimer, &at, nullptr, false);
    }

    static void OnPaceTimer(void *data, std::uint64_t) {
        auto *self = static_cast<Engine *>(data);
        self->pacer.Wake(MonotonicNs());
        self->ApplyPace();
    }

    // After a resume: true until every stream has a frame newer than it.
    bool AwaitingFreshFrames() {
        if (resumedAt == 0)
            return false;
        const bool waiting = std::any_of(streams.begin(), streams.end(), [](const auto &s) {
            return s->streaming && s->held == nullptr;
        });
        if (!waiting || MonotonicNs() - resumedAt > kFreshFrameWaitNs)
            resumedAt = 0;
        return resumedAt != 0;
    }

    // A compositor sends pixels only when the screen changes, so a monitor whose first frame
    // was lost would stay unreadable for as long as it stands still. Pausing and resuming the
    // stream makes the compositor send the picture again.
    // A stream that brings cursor updates and no picture even after a resume has a compositor
    // that records no frames for it (KWin 5.27 without a GPU, for a monitor): it is left alone,
    // as each resume there adds one more frame handler, and the user is told.
    static void OnFrameWatch(void *data, std::uint64_t) {
        auto *self = static_cast<Engine *>(data);
        constexpr int kPatienceTicks = 2; // a full second streaming without a picture
        constexpr int kRetryTicks = 3;
        constexpr int kAnswerTicks = 2; // for a picture after a resume, on a loaded machine too
        for (auto &s : self->streams) {
            if (!s->streaming || s->held != nullptr || s->pointerOnly || !s->active) {
                s->framelessTicks = 0;
                continue;
            }
            ++s->framelessTicks;
            if (s->resumes > 0 && !s->pictureSeen && s->cursorOnly > 0 &&
                s->framelessTicks >= kPatienceTicks + kAnswerTicks) {
                s->pointerOnly = true;
                self->ShowPointerOnly();
            } else if (s->framelessTicks % kRetryTicks == kPatienceTicks) {
                pw_stream_set_active(s->stream, false);
                pw_stream_set_active(s->stream, true);
                s->resumes++;
            }
        }
    }

    // Said only when no stream has a picture to read.
    void ShowPointerOnly() {
        for (const auto &s : streams)
            if (s->held != nullptr)
                return;
        SetStatus(State::NoPicture);
    }

    void StopFrameWatch() {
        timespec off{};
        if (frameWatch != nullptr)
            pw_loop_update_timer(loop, frameWatch, &off, nullptr, false);
    }

    bool ConnectStream(Stream &s) {
        s.stream =
            pw_stream_new(core, "kalvor-screen",
                          pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                            "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        if (s.stream == nullptr)
            return false;
        static const pw_stream_events streamEvents = [] {
            pw_stream_events events{};
            events.version = PW_VERSION_STREAM_EVENTS;
            events.state_changed = OnStreamState;
            events.param_changed = OnStreamParam;
            events.remove_buffer = OnRemoveBuffer;
            events.process = OnProcess;
            return events;
        }();
        pw_stream_add_listener(s.stream, &s.hook, &streamEvents, &s);

        std::uint8_t buffer[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
        const spa_rectangle defaultSize = SPA_RECTANGLE(1920, 1080);
        const spa_rectangle minSize = SPA_RECTANGLE(1, 1);
        const spa_rectangle maxSize = SPA_RECTANGLE(16384, 16384);
        // 0: no cap of ours, the compositor's own rate.
        const std::uint32_t fps =
            options.maxFramesPerSecond == 0 ? 1000 : options.maxFramesPerSecond;
        const spa_fraction variable = SPA_FRACTION(0, 1);
        const spa_fraction defaultRate = SPA_FRACTION(fps, 1);
        const spa_fraction minRate = SPA_FRACTION(0, 1);
        const spa_fraction maxRate = SPA_FRACTION(fps, 1);
        const spa_pod *params[1];
        params[0] = static_cast<const spa_pod *>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
            SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
            SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_CHOICE_ENUM_Id(
                17, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_RGBx,
                SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBA, SPA_VIDEO_FORMAT_xRGB,
                SPA_VIDEO_FORMAT_xBGR, SPA_VIDEO_FORMAT_ARGB, SPA_VIDEO_FORMAT_ABGR,
                SPA_VIDEO_FORMAT_xRGB_210LE, SPA_VIDEO_FORMAT_xBGR_210LE,
                SPA_VIDEO_FORMAT_RGBx_102LE, SPA_VIDEO_FORMAT_BGRx_102LE,
                SPA_VIDEO_FORMAT_ARGB_210LE, SPA_VIDEO_FORMAT_ABGR_210LE,
                SPA_VIDEO_FORMAT_RGBA_102LE, SPA_VIDEO_FORMAT_BGRA_102LE),
            SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize),
            SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&variable), SPA_FORMAT_VIDEO_maxFramerate,
            SPA_POD_CHOICE_RANGE_Fraction(&defaultRate, &minRate, &maxRate)));
        const auto flags =
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
        return pw_stream_connect(s.stream, PW_DIRECTION_INPUT, s.node, flags, params, 1) >= 0;
    }

    void DisconnectStreams() {
        StopFrameWatch();
        for (auto &s : streams) {
            spa_hook_remove(&s->hook);
            pw_stream_destroy(s->stream);
        }
        streams.clear();
        rects.clear();
        if (core != nullptr) {
            spa_hook_remove(&coreHook);
            pw_core_disconnect(core);
            core = nullptr;
        }
    }

    void Relayout() {
        std::vector<StreamPlacement> placements;
        for (const auto &s : streams)
            placements.push_back(s->placement);
        rects = LayOutStreams(placements);
    }

    static void OnCoreError(void *data, std::uint32_t id, int, int res, const char *message) {
        auto *self = static_cast<Engine *>(data);
        if (id == PW_ID_CORE)
            self->FailLater(State::PipeWireDied,
                            message != nullptr ? message : std::strerror(-res));
    }

    static void OnStreamState(void *data, pw_stream_state, pw_stream_state state,
                              const char *error) {
        auto *s = static_cast<Stream *>(data);
        Engine *self = s->engine;
        if (state == PW_STREAM_STATE_STREAMING) {
            s->streaming = true;
            // A resume after a pause brings no picture to a stream that never had one.
            if (!s->pointerOnly)
                self->SetStatus(State::Sampling);
        } else if (state == PW_STREAM_STATE_ERROR) {
            self->FailLater(State::PipeWireDied, error != nullptr ? error : "stream error");
        } else if (state == PW_STREAM_STATE_UNCONNECTED && s->streaming) {
            self->FailLater(State::Revoked, "the screen stream ended");
        }
    }

    static void OnStreamParam(void *data, std::uint32_t id, const spa_pod *param) {
        auto *s = static_cast<Stream *>(data);
        if (param == nullptr || id != SPA_PARAM_Format)
            return;
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0)
            return;
        s->format = FromSpa(info.format);
        s->placement.frameWidth = static_cast<int>(info.size.width);
        s->placement.frameHeight = static_cast<int>(info.size.height);
        s->engine->Relayout();

        std::uint8_t buffer[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
        const int cursorMin =
            static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + 4);
        const int cursorDefault =
            static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + 64 * 64 * 4);
        const int cursorMax =
            static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + 384 * 384 * 4);
        const spa_pod *params[3];
        params[0] = static_cast<const spa_pod *>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
            SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
        params[1] = static_cast<const spa_pod *>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
            SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size,
            SPA_POD_Int(static_cast<int>(sizeof(spa_meta_header)))));
        params[2] = static_cast<const spa_pod *>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
            SPA_POD_Id(SPA_META_Cursor), SPA_PARAM_META_size,
            SPA_POD_CHOICE_RANGE_Int(cursorDefault, cursorMin, cursorMax)));
        pw_stream_update_params(s->stream, params, 3);
    }

    static void OnRemoveBuffer(void *data, pw_buffer *buffer) {
        auto *s = static_cast<Stream *>(data);
        if (s->held == buffer) {
            s->held = nullptr;
            s->frame = FrameView{};
        }
    }

    static void OnProcess(void *data) {
        auto *s = static_cast<Stream *>(data);
        Engine *self = s->engine;
        pw_buffer *b = nullptr;
        while ((b = pw_stream_dequeue_buffer(s->stream)) != nullptr) {
            spa_buffer *sb = b->buffer;
            auto *cursor = static_cast<spa_meta_cursor *>(
                spa_buffer_find_meta_data(sb, SPA_META_Cursor, sizeof(spa_meta_cursor)));
            if (cursor != nullptr) {
                const int x = cursor->position.x;
                const int y = cursor->position.y;
                s->cursorIn = spa_meta_cursor_is_valid(cursor) && x >= 0 && y >= 0 &&
                              x < s->placement.frameWidth && y < s->placement.frameHeight;
                if (s->cursorIn) {
                    s->cursor = {x, y};
                    s->cursorSeq = ++self->cursorSeq;
                }
            }
            // Most buffers carry only the cursor (no pixels): the last full frame stays.
            const spa_data &d = sb->datas[0];
            const bool pixels = sb->n_datas > 0 && d.data != nullptr && d.chunk != nullptr &&
                                d.chunk->size > 0 &&
                                (d.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) == 0 &&
                                d.chunk->offset < d.maxsize && s->format.has_value();
            if (!pixels) {
                s->cursorOnly++;
                pw_stream_queue_buffer(s->stream, b);
                continue;
            }
            s->pictureSeen = true;
            if (s->pointerOnly) {
                s->pointerOnly = false;
                if (self->CurrentState() == State::NoPicture)
                    self->SetStatus(State::Sampling);
            }
            if (s->toDrop > 0) {
                s->toDrop--;
                pw_stream_queue_buffer(s->stream, b);
                continue;
            }
            if (s->held != nullptr)
                pw_stream_queue_buffer(s->stream, s->held);
            s->held = b;
            s->fullFrames++;
            const std::uint32_t offset = d.chunk->offset;
            s->frame.pixels = static_cast<const std::uint8_t *>(d.data) + offset;
            s->frame.bytes = std::min<std::size_t>(d.maxsize - offset, d.chunk->size);
            s->frame.width = s->placement.frameWidth;
            s->frame.height = s->placement.frameHeight;
            s->frame.stride = d.chunk->stride > 0 ? d.chunk->stride : s->frame.width * 4;
            s->frame.format = *s->format;
            self->pacer.FullFrame(MonotonicNs());
            if (!self->pacer.Active()) { // paced: rest, once out of this callback
                timespec now{0, 1};
                pw_loop_update_timer(self->loop, self->paceTimer, &now, nullptr, false);
            }
            if (self->resumedAt != 0)
                pw_thread_loop_signal(self->thread, false);
        }
    }

    // ---- the pointer and the pixel (any thread, under the loop's lock) --------------------

    std::optional<ScreenPoint> CursorLocked() const {
        if (!pacer.Reading())
            return std::nullopt;
        const Stream *best = nullptr;
        std::size_t index = 0;
        for (std::size_t i = 0; i < streams.size() && i < rects.size(); ++i) {
            const Stream *s = streams[i].get();
            if (s->cursorIn && (best == nullptr || s->cursorSeq > best->cursorSeq)) {
                best = s;
                index = i;
            }
        }
        if (best == nullptr)
            return std::nullopt;
        return ScreenPoint{rects[index].left + best->cursor.x, rects[index].top + best->cursor.y};
    }

    ColourValue PixelLocked(ScreenPoint at) const {
        if (!pacer.Reading())
            return CLR_INVALID;
        const auto index = StreamAt(rects, at);
        if (!index || *index >= streams.size())
            return CLR_INVALID;
        const ScreenRect &r = rects[*index];
        return ReadFramePixel(streams[*index]->frame, at.x - r.left, at.y - r.top);
    }

    // ---- Screenshot.PickColor ------------------------------------------------------------

    void BeginPick(std::function<void(ColourValue)> done) {
        if (pickDone || !OpenBus()) {
            done(CLR_INVALID);
            return;
        }
        pickDone = std::move(done);
        pick.onResponse = [this](std::uint32_t code, sd_bus_message *m) {
            ColourValue picked = CLR_INVALID;
            if (code == 0)
                ReadDict(m, [&](const std::string &key, const std::string &signature) {
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
            FinishPick(picked);
        };
        pick.onError = [this](const std::string &) { FinishPick(CLR_INVALID); };
        const bool sent = Send(
            pick, kScreenshot, "PickColor",
            [](sd_bus_message *call) { sd_bus_message_append(call, "s", ""); }, nullptr);
        if (!sent)
            FinishPick(CLR_INVALID);
    }

    void FinishPick(ColourValue colour) {
        pick.Cancel();
        auto done = std::move(pickDone);
        pickDone = nullptr;
        if (done)
            done(colour);
    }

    // ---- GlobalShortcuts -----------------------------------------------------------------

    // The interface can be on the bus without a desktop behind it (the portal lends any
    // backend that has one), so only a shortcut the desktop actually bound counts.
    void BeginShortcut() {
        const int r = sd_bus_call_method_async(
            bus, &shortcutCall, kPortal, kPortalPath, "org.freedesktop.DBus.Properties", "Get",
            OnShortcutVersion, this, "ss", kShortcuts, "version");
        if (r < 0)
            SetShortcut(ShortcutState::Unavailable);
    }

    static int OnShortcutVersion(sd_bus_message *m, void *data, sd_bus_error *) {
        auto *self = static_cast<Engine *>(data);
        self->shortcutCall = sd_bus_slot_unref(self->shortcutCall);
        if (sd_bus_message_is_method_error(m, nullptr)) {
            self->SetShortcut(ShortcutState::Unavailable);
            return 0;
        }
        self->SetShortcut(ShortcutState::Pending);
        self->bind.onResponse = [self](std::uint32_t code, sd_bus_message *reply) {
            std::string session;
            if (code == 0)
                ReadDict(reply, [&](const std::string &key, const std::string &signature) {
                    if (key != "session_handle")
                        return false;
                    session = ReadString(reply, signature);
                    return true;
                });
            if (session.empty()) {
                self->SetShortcut(ShortcutState::Unavailable);
                return;
            }
            self->shortcutSession = session;
            self->BindShortcut();
        };
        self->bind.onError = [self](const std::string &) {
            self->SetShortcut(ShortcutState::Unavailable);
        };
        const std::string sessionToken = RandomToken();
        if (!self->Send(self->bind, kShortcuts, "CreateSession", nullptr,
                        [&](sd_bus_message *call) {
                            sd_bus_message_append(call, "{sv}", "session_handle_token", "s",
                                                  sessionToken.c_str());
                        }))
            self->SetShortcut(ShortcutState::Unavailable);
        return 0;
    }

    void BindShortcut() {
        sd_bus_match_signal_async(bus, &shortcutActivated, nullptr, kPortalPath, kShortcuts,
                                  "Activated", OnShortcutActivated, nullptr, this);
        bind.onResponse = [this](std::uint32_t code, sd_bus_message *m) {
            bool bound = false;
            std::string trigger;
            if (code == 0)
                ReadDict(m, [&](const std::string &key, const std::string &signature) {
                    if (key != "shortcuts" || signature != "a(sa{sv})")
                        return false;
                    sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "(sa{sv})");
                    while (sd_bus_message_enter_container(m, SD_BUS_TYPE_STRUCT, "sa{sv}") > 0) {
                        const char *id = nullptr;
                        sd_bus_message_read(m, "s", &id);
                        const bool ours = id != nullptr && std::strcmp(id, kShortcutId) == 0;
                        bound = bound || ours;
                        ReadDict(m, [&](const std::string &what, const std::string &type) {
                            if (!ours || what != "trigger_description")
                                return false;
                            trigger = ReadString(m, type);
                            return true;
                        });
                        sd_bus_message_exit_container(m);
                    }
                    sd_bus_message_exit_container(m);
                    return true;
                });
            SetShortcut(bound ? ShortcutState::Bound : ShortcutState::Unavailable, trigger);
        };
        bind.onError = [this](const std::string &) { SetShortcut(ShortcutState::Unavailable); };
        const bool sent = Send(
            bind, kShortcuts, "BindShortcuts",
            [&](sd_bus_message *call) {
                sd_bus_message_append(call, "o", shortcutSession.c_str());
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
            SetShortcut(ShortcutState::Unavailable);
    }

    static int OnShortcutActivated(sd_bus_message *m, void *data, sd_bus_error *) {
        auto *self = static_cast<Engine *>(data);
        const char *session = nullptr;
        const char *id = nullptr;
        if (sd_bus_message_read(m, "os", &session, &id) < 0 || session == nullptr || id == nullptr)
            return 0;
        if (self->shortcutSession == session && std::strcmp(id, kShortcutId) == 0 &&
            self->options.onCaptureShortcut)
            self->options.onCaptureShortcut();
        return 0;
    }
};

// ---- the reader ------------------------------------------------------------------------------

WaylandScreenReader::WaylandScreenReader(Options options)
    : engine_(std::make_unique<Engine>(std::move(options))) {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
    Engine &e = *engine_;
    e.thread = pw_thread_loop_new("kalvor-wayland", nullptr);
    if (e.thread == nullptr) {
        e.SetStatus(State::PipeWireDied, "cannot start the reading thread");
        return;
    }
    e.loop = pw_thread_loop_get_loop(e.thread);
    e.wake = pw_loop_add_event(e.loop, Engine::OnWake, &e);
    e.consentTimer = pw_loop_add_timer(e.loop, Engine::OnConsentTimer, &e);
    e.frameWatch = pw_loop_add_timer(e.loop, Engine::OnFrameWatch, &e);
    e.paceTimer = pw_loop_add_timer(e.loop, Engine::OnPaceTimer, &e);
    if (pw_thread_loop_start(e.thread) < 0)
        e.SetStatus(State::PipeWireDied, "cannot start the reading thread");
}

WaylandScreenReader::~WaylandScreenReader() {
    Engine &e = *engine_;
    if (e.thread == nullptr)
        return;
    pw_thread_loop_lock(e.thread);
    e.StopCast();
    e.pick.Cancel();
    e.bind.Drop();
    if (!e.shortcutSession.empty() && e.bus != nullptr)
        sd_bus_call_method_async(e.bus, nullptr, kPortal, e.shortcutSession.c_str(),
                                 "org.freedesktop.portal.Session", "Close", nullptr, nullptr, "");
    e.CloseBus();
    pw_thread_loop_unlock(e.thread);
    pw_thread_loop_stop(e.thread);
    if (e.context != nullptr)
        pw_context_destroy(e.context);
    pw_loop_destroy_source(e.loop, e.wake);
    pw_loop_destroy_source(e.loop, e.consentTimer);
    pw_loop_destroy_source(e.loop, e.frameWatch);
    pw_loop_destroy_source(e.loop, e.paceTimer);
    pw_thread_loop_destroy(e.thread);
}

void WaylandScreenReader::Start() {
    {
        std::lock_guard<std::mutex> lock(engine_->postMutex);
        engine_->startPosted = true;
    }
    engine_->Post();
}

void WaylandScreenReader::AskAgain() {
    {
        std::lock_guard<std::mutex> lock(engine_->postMutex);
        engine_->askPosted = true;
    }
    engine_->Post();
}

void WaylandScreenReader::PickColor(std::function<void(ColourValue)> done) {
    if (!done)
        return;
    if (engine_->thread == nullptr) {
        done(CLR_INVALID);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(engine_->postMutex);
        engine_->picksPosted.push_back(std::move(done));
    }
    engine_->Post();
}

WaylandScreenReader::Status WaylandScreenReader::CurrentStatus() const {
    std::lock_guard<std::mutex> lock(engine_->statusMutex);
    return engine_->status;
}

WaylandScreenReader::Shortcut WaylandScreenReader::CurrentShortcut() const {
    std::lock_guard<std::mutex> lock(engine_->statusMutex);
    return engine_->shortcut;
}

std::optional<ScreenPoint> WaylandScreenReader::GetCursorPos() {
    if (engine_->thread == nullptr)
        return std::nullopt;
    pw_thread_loop_lock(engine_->thread);
    // The first read after a pause waits, briefly, for the screen as it is now.
    while (engine_->AwaitingFreshFrames()) {
        timespec until{};
        pw_thread_loop_get_time(engine_->thread, &until, 20 * 1000000LL);
        pw_thread_loop_timed_wait_full(engine_->thread, &until);
    }
    const auto point = engine_->CursorLocked();
    pw_thread_loop_unlock(engine_->thread);
    return point;
}

ColourValue WaylandScreenReader::GetPixel(std::uintptr_t, ScreenPoint at) {
    if (engine_->thread == nullptr)
        return CLR_INVALID;
    pw_thread_loop_lock(engine_->thread);
    const ColourValue colour = engine_->PixelLocked(at);
    pw_thread_loop_unlock(engine_->thread);
    return colour;
}

void WaylandScreenReader::SetDemand(StreamDemand demand) {
    if (engine_->thread == nullptr)
        return;
    pw_thread_loop_lock(engine_->thread);
    engine_->SetDemand(demand);
    pw_thread_loop_unlock(engine_->thread);
}

WaylandScreenReader::FrameCounts WaylandScreenReader::Frames() const {
    FrameCounts counts;
    if (engine_->thread == nullptr)
        return counts;
    pw_thread_loop_lock(engine_->thread);
    for (const auto &s : engine_->streams) {
        counts.full += s->fullFrames;
        counts.cursorOnly += s->cursorOnly;
    }
    pw_thread_loop_unlock(engine_->thread);
    return counts;
}

std::string WaylandScreenReader::Describe(State state) {
    switch (state) {
    case State::Starting:
        return "Connecting to the desktop's screen sharing";
    case State::AskingConsent:
        return "Waiting for permission to read the screen: answer the desktop's dialog";
    case State::Sampling:
        return "Reading the screen through the desktop's screen sharing";
    case State::Refused:
        return "Reading the screen was not allowed; click the preview to ask again";
    case State::Revoked:
        return "Screen sharing was stopped; click the preview to ask again";
    case State::PortalMissing:
        return "This desktop offers no screen-sharing portal (xdg-desktop-portal and its "
               "desktop's backend); click the preview to try again";
    case State::PipeWireDied:
        return "The screen stream (PipeWire) is not available; click the preview to try again";
    case State::NoCursorMetadata:
        return "This desktop's screen sharing does not report the pointer; click the preview "
               "to pick one colour";
    case State::NoPicture:
        return "The desktop sends the pointer but no picture: its screen cast has no frames";
    }
    return {};
}

const char *WaylandScreenReader::Name(State state) {
    switch (state) {
    case State::Starting:
        return "starting";
    case State::AskingConsent:
        return "asking-consent";
    case State::Sampling:
        return "sampling";
    case State::Refused:
        return "refused";
    case State::Revoked:
        return "revoked";
    case State::PortalMissing:
        return "portal-missing";
    case State::PipeWireDied:
        return "pipewire-died";
    case State::NoCursorMetadata:
        return "no-cursor-metadata";
    case State::NoPicture:
        return "no-picture";
    }
    return "unknown";
}

bool InWaylandSession() {
    const char *display = std::getenv("WAYLAND_DISPLAY");
    const char *type = std::getenv("XDG_SESSION_TYPE");
    return (display != nullptr && display[0] != '\0') ||
           (type != nullptr && std::strcmp(type, "wayland") == 0);
}
