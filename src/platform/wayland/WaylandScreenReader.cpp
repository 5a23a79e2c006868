// The portal handshake (sd-bus) and the frames (PipeWire) share one thread: PipeWire's thread
// loop, which also watches the bus socket. Everything below runs there, under the loop's lock;
// the public functions either take that lock for a quick read or post work to the loop.
// The parts: PortalRequest (the bus), ScreenCastSession (the handshake's logic) and
// ScreenCastPortal (its calls), PipeWireStreams (the frames), ColourPick, GlobalShortcut; the
// Engine wires them together, keeps the status and runs the loop.
#include "platform/wayland/WaylandScreenReader.h"

#include "platform/wayland/ColourPick.h"
#include "platform/wayland/GlobalShortcut.h"
#include "platform/wayland/PipeWireStreams.h"
#include "platform/wayland/PortalRequest.h"
#include "platform/wayland/RestoreToken.h"
#include "platform/wayland/ScreenCastPortal.h"

#include <pipewire/pipewire.h>

#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

struct WaylandScreenReader::Engine {
    explicit Engine(Options o) : options(std::move(o)), token(options.stateFolder) {}

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

    std::unique_ptr<PortalBus> bus;
    std::unique_ptr<PipeWireStreams> streams;
    std::unique_ptr<ColourPick> pick;
    std::unique_ptr<GlobalShortcut> shortcuts;
    std::unique_ptr<ScreenCastPortal> cast;

    // The loop and its parts; nothing runs until the loop starts.
    bool Build() {
        thread = pw_thread_loop_new("kalvor-wayland", nullptr);
        if (thread == nullptr)
            return false;
        loop = pw_thread_loop_get_loop(thread);
        wake = pw_loop_add_event(loop, OnWake, this);
        bus = std::make_unique<PortalBus>(loop);
        bus->onLost = [this](const std::string &why) { BusLost(why); };
        bus->onPortalGone = [this] { PortalGone(); };
        pick = std::make_unique<ColourPick>(*bus);
        shortcuts = std::make_unique<GlobalShortcut>(
            *bus, [this](const Shortcut &now) { SetShortcut(now); },
            [this] {
                if (options.onCaptureShortcut)
                    options.onCaptureShortcut();
            });
        PipeWireStreams::Events events;
        events.report = [this](State state) { SetStatus(state); };
        events.current = [this] { return CurrentState(); };
        events.failLater = [this](State state, const std::string &detail) {
            FailLater(state, detail);
        };
        streams = std::make_unique<PipeWireStreams>(
            thread,
            PipeWireStreams::Settings{options.maxFramesPerSecond, options.restBetweenFrames,
                                      options.dropFirstFrames},
            std::move(events));
        cast = std::make_unique<ScreenCastPortal>(
            *bus, loop, *streams, token,
            [this](State state, const std::string &detail) { SetStatus(state, detail); });
        return true;
    }

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

    void SetShortcut(const Shortcut &now) {
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
            cast->Session().Fail(failState, failText);
        if (start) {
            if (OpenBus() && options.registerShortcut)
                shortcuts->Begin();
            BeginScreenCast();
        }
        // A handshake under way is left alone (its dialog may be up); streams that never
        // started are not.
        if (ask && !cast->Session().Handshaking() && CurrentState() != State::Sampling)
            BeginScreenCast();
        for (auto &done : picks) {
            if (!pick->Open() && !OpenBus())
                done(CLR_INVALID);
            else
                pick->Begin(std::move(done));
        }
        bus->Pump();
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
        std::string error;
        if (bus->Open(error))
            return true;
        SetStatus(State::PortalMissing, error);
        return false;
    }

    void CloseBus() {
        cast->Drop();
        pick->Drop();
        shortcuts->Drop();
        bus->Close();
    }

    void BusLost(const std::string &why) {
        CloseBus();
        cast->Session().Stop();
        if (pick->Open())
            pick->Abandon();
        shortcuts->Lost(true);
        SetStatus(State::PortalMissing, why);
    }

    // The portal went away: whatever it was doing for us is gone with it.
    void PortalGone() {
        const bool casting = cast->Session().CurrentStep() != ScreenCastSession::Step::Idle;
        cast->Session().Stop();
        if (pick->Open())
            pick->Abandon();
        shortcuts->Lost(false);
        if (CurrentState() != State::NoCursorMetadata || casting)
            SetStatus(State::PortalMissing, "the portal stopped");
    }

    void BeginScreenCast() {
        cast->Session().Stop();
        if (OpenBus())
            cast->Session().Begin();
    }
};

// ---- the reader ------------------------------------------------------------------------------

WaylandScreenReader::WaylandScreenReader(Options options)
    : engine_(std::make_unique<Engine>(std::move(options))) {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
    Engine &e = *engine_;
    if (!e.Build()) {
        e.SetStatus(State::PipeWireDied, "cannot start the reading thread");
        return;
    }
    if (pw_thread_loop_start(e.thread) < 0)
        e.SetStatus(State::PipeWireDied, "cannot start the reading thread");
}

WaylandScreenReader::~WaylandScreenReader() {
    Engine &e = *engine_;
    if (e.thread == nullptr)
        return;
    pw_thread_loop_lock(e.thread);
    e.cast->Session().Stop();
    e.pick->Withdraw();
    e.shortcuts->Close();
    e.CloseBus();
    pw_thread_loop_unlock(e.thread);
    pw_thread_loop_stop(e.thread);
    e.streams->DestroyContext();
    e.cast.reset();
    e.streams.reset();
    pw_loop_destroy_source(e.loop, e.wake);
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
    while (engine_->streams->AwaitingFreshFrames()) {
        timespec until{};
        pw_thread_loop_get_time(engine_->thread, &until, 20 * 1000000LL);
        pw_thread_loop_timed_wait_full(engine_->thread, &until);
    }
    const auto point = engine_->streams->CursorLocked();
    pw_thread_loop_unlock(engine_->thread);
    return point;
}

ColourValue WaylandScreenReader::GetPixel(std::uintptr_t, ScreenPoint at) {
    if (engine_->thread == nullptr)
        return CLR_INVALID;
    pw_thread_loop_lock(engine_->thread);
    const ColourValue colour = engine_->streams->PixelLocked(at);
    pw_thread_loop_unlock(engine_->thread);
    return colour;
}

PixelSquare WaylandScreenReader::ReadSquare(std::uintptr_t, ScreenPoint centre, int reach) {
    if (engine_->thread == nullptr || engine_->CurrentState() != State::Sampling)
        return UnreadSquare(centre, reach);
    pw_thread_loop_lock(engine_->thread);
    PixelSquare square = engine_->streams->SquareLocked(centre, reach);
    pw_thread_loop_unlock(engine_->thread);
    return square;
}

namespace {

// Tells the streams something, under the loop's lock; nothing before the loop runs.
template <typename Tell> void TellStreams(pw_thread_loop *thread, Tell tell) {
    if (thread == nullptr)
        return;
    pw_thread_loop_lock(thread);
    tell();
    pw_thread_loop_unlock(thread);
}

} // namespace

void WaylandScreenReader::SetDemand(StreamDemand demand) {
    TellStreams(engine_->thread, [&] { engine_->streams->SetDemand(demand); });
}

void WaylandScreenReader::PointerMovedOverWindow() {
    TellStreams(engine_->thread, [&] { engine_->streams->PointerMovedOverWindow(); });
}

void WaylandScreenReader::Refresh() {
    TellStreams(engine_->thread, [&] { engine_->streams->Refresh(); });
}

WaylandScreenReader::FrameCounts WaylandScreenReader::Frames() const {
    if (engine_->thread == nullptr)
        return {};
    pw_thread_loop_lock(engine_->thread);
    const FrameCounts counts = engine_->streams->FramesLocked();
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
