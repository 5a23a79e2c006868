#pragma once

#include "core/ScreenReader.h"
#include "platform/wayland/StreamDemand.h"

#include <functional>
#include <memory>
#include <string>

// Reads the screen of a Wayland desktop through its portal: one screen-cast stream per monitor,
// the pointer taken from the streams' cursor metadata, the pixel from the newest full frame.
//
// Every member a program calls is virtual: see KalvorOpenWaylandReader below.
//
// Threading: the backend runs its own thread. Every public function may be called from any
// thread. The handlers in WaylandOptions run on the backend's thread: they must return quickly
// and must not destroy the reader; a front-end posts what they tell to its own thread.
// Not final: a final class's calls would bind to the module's symbols at link time.
class WaylandScreenReader : public ScreenReader {
  public:
    enum class State {
        Starting,         // connecting to the portal, or restoring a stored permission
        AskingConsent,    // the desktop's "share your screen" dialog is up
        Sampling,         // streams are up: reads give colours
        Refused,          // the user (or the desktop) said no
        Revoked,          // sharing was stopped after it had started
        PortalMissing,    // no portal, or one without screen casting
        PipeWireDied,     // PipeWire is missing or its connection broke
        NoCursorMetadata, // the portal cannot report the pointer: only PickColor works
        NoPicture,        // streaming, but the compositor sends the pointer and never a frame
    };

    struct Status {
        State state = State::Starting;
        std::string text; // one line for the user: what is happening, and what a click does
    };

    enum class ShortcutState {
        Unavailable, // no GlobalShortcuts portal, or it bound nothing
        Pending,     // asked; the desktop may be asking the user for the key
        Bound,       // the desktop runs the capture handler when its key is pressed
    };

    struct Shortcut {
        ShortcutState state = ShortcutState::Unavailable;
        std::string trigger; // the key as the desktop describes it, when it says
    };

    struct Options {
        // Where the restore token lives; empty: $XDG_STATE_HOME/kalvor (~/.local/state/kalvor).
        std::string stateFolder;
        // Frames per second asked of the compositor (0: no cap); the window samples every
        // 50 ms.
        unsigned maxFramesPerSecond = 20;
        // Over the window itself, take a frame and rest (StreamPacer). Even when true, the
        // reader rests only where the portal describes its streams as version 4 does
        // (ScreenCastSession::MayRest): elsewhere a resume may leave a cost behind.
        bool restBetweenFrames = true;
        // Ask the portal for a global "capture" shortcut where it offers one.
        bool registerShortcut = true;
        // Full frames each stream throws away at first, so tests can play a compositor that
        // loses the first frame of a still screen.
        unsigned dropFirstFrames = 0;
        std::function<void(const Status &)> onStatusChanged;
        std::function<void()> onCaptureShortcut;
        std::function<void(const Shortcut &)> onShortcutChanged;
    };

    explicit WaylandScreenReader(Options options);
    ~WaylandScreenReader() override;
    WaylandScreenReader(const WaylandScreenReader &) = delete;
    WaylandScreenReader &operator=(const WaylandScreenReader &) = delete;

    // Connects to the portal; the first start shows the desktop's consent dialog, later starts
    // restore the stored permission without asking. Call once, after construction.
    virtual void Start();

    virtual Status CurrentStatus() const;
    virtual Shortcut CurrentShortcut() const;

    // After a refusal, a revocation or a lost portal or PipeWire: drop what is left and ask
    // again (the dialog shows if the stored permission no longer holds). Does nothing while
    // sampling or while the portal handshake (and its dialog) is under way.
    void AskAgain() override;

    // One colour picked by the user through the desktop's own picker (Screenshot portal),
    // for desktops without cursor metadata. `done` gets CLR_INVALID when cancelled or
    // unavailable. One pick at a time: a call while one is open is answered CLR_INVALID.
    virtual void PickColor(std::function<void(ColourValue)> done);
    void PickOnce(std::function<void(ColourValue)> done) override { PickColor(std::move(done)); }

    // The status as the window's logic sees it; onStatusChanged tells when it changes.
    ReaderState ReadState() override {
        Status status = CurrentStatus();
        // A new cast would not bring the picture a compositor never sends.
        return {KindOf(status.state), std::move(status.text), status.state != State::NoPicture};
    }
    static ReaderState::Kind KindOf(State state);

    // What the window needs now (see StreamDemand): paused streams cost the compositor
    // nothing and read nothing; after a pause the first read waits briefly for a new frame and
    // never answers from one older than the resume.
    virtual void SetDemand(StreamDemand demand);
    // The pointer moved over the window: in Slow, the streams take a frame once the rest is
    // out; while it rests there they take none.
    virtual void PointerMovedOverWindow();
    // A capture is due: streams resting because nothing new came (see StreamPacer) take a
    // frame now, and the next read waits up to 200 ms for it, so that a capture never takes
    // a colour older than the request.
    virtual void Refresh();

    // ScreenReader. Positions are native pixels of a desktop laid out from the monitors'
    // streams; a point is only meaningful to GetPixel of the same reader.
    std::uintptr_t GetDesktopWindow() override { return 1; }
    std::optional<ScreenPoint> GetCursorPos() override;
    ColourValue GetPixel(std::uintptr_t desktop, ScreenPoint at) override;
    // From the newest full frames under one lock, each pixel from the monitor it lies on: the
    // centre is what GetPixel gives from the same frame. Unread unless sampling.
    // The portal's frames are in the compositor's sRGB composition space already.
    bool PixelsInSrgb() override { return true; }
    PixelSquare ReadSquare(std::uintptr_t desktop, ScreenPoint centre, int reach) override;
    // No program may watch the keyboard on Wayland: Space is the front-end's, while focused.
    std::uint16_t GetAsyncKeyState(int) override { return 0; }

    // Buffers received from the compositor since sampling started, for diagnostics: those
    // with pixels, and those that only moved the pointer.
    struct FrameCounts {
        std::uint64_t full = 0;
        std::uint64_t cursorOnly = 0;
    };
    virtual FrameCounts Frames() const;

    // The text shown for a state, without detail.
    static std::string Describe(State state);
    static const char *Name(State state); // a short identifier, for logs and tests

    struct Engine;

  private:
    std::unique_ptr<Engine> engine_;
};

inline ReaderState::Kind WaylandScreenReader::KindOf(State state) {
    switch (state) {
    case State::Sampling:
        return ReaderState::Reading;
    case State::Starting:
    case State::AskingConsent:
        return ReaderState::AwaitingConsent;
    case State::Refused:
    case State::Revoked:
        return ReaderState::Refused;
    case State::NoCursorMetadata:
        return ReaderState::PickOnly;
    case State::PortalMissing:
    case State::PipeWireDied:
    case State::NoPicture:
        break;
    }
    return ReaderState::Unavailable;
}

// The backend is also built as a module, kalvor-wayland.so, so that a program on X11 never maps
// PipeWire: the program loads it only when it reads through the portal, and reaches the reader
// through its virtual functions alone. The module's one export makes a reader; the caller owns it.
extern "C" WaylandScreenReader *
KalvorOpenWaylandReader(const WaylandScreenReader::Options *options);
using WaylandReaderFactory = decltype(&KalvorOpenWaylandReader);
inline constexpr const char *WaylandReaderFactoryName = "KalvorOpenWaylandReader";
inline constexpr const char *WaylandModuleFile = "kalvor-wayland.so";
