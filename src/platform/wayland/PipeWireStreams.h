#pragma once

#include "platform/wayland/DesktopLayout.h"
#include "platform/wayland/FrameFormat.h"
#include "platform/wayland/StreamDemand.h"
#include "platform/wayland/WaylandScreenReader.h"

#include <pipewire/pipewire.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The screen casts' PipeWire streams, one per monitor: buffers, the pointer from their cursor
// metadata, the newest full frame, the watch for streams without a picture, and the pacing the
// window's demand asks for. Runs on PipeWire's thread loop; the reads take its lock.
class PipeWireStreams {
  public:
    using State = WaylandScreenReader::State;

    struct Settings {
        unsigned maxFramesPerSecond = 20;
        bool restBetweenFrames = true;
        unsigned dropFirstFrames = 0;
    };

    struct Events {
        std::function<void(State)> report; // Sampling, NoPicture
        std::function<State()> current;    // the status now
        // A failure inside a PipeWire callback, where streams cannot be destroyed: to be
        // handled on the next loop turn.
        std::function<void(State, const std::string &)> failLater;
    };

    PipeWireStreams(pw_thread_loop *thread, Settings settings, Events events);
    ~PipeWireStreams();
    PipeWireStreams(const PipeWireStreams &) = delete;
    PipeWireStreams &operator=(const PipeWireStreams &) = delete;

    // Connects to the portal's PipeWire remote (`fd`: ours now) and opens one stream per node.
    // Empty when under way, else why not (and nothing is left open).
    // `rest`: over the window, Slow rests between frames (the settings may forbid it).
    std::string Connect(int fd, const std::vector<std::uint32_t> &nodes,
                        const std::vector<StreamPlacement> &placements, bool rest);
    void Disconnect();

    void SetDemand(StreamDemand demand);
    void PointerMovedOverWindow();
    // A capture is due: resting streams take a frame now, and reads wait briefly for it.
    void Refresh();

    // Under the loop's lock.
    bool AwaitingFreshFrames();
    std::optional<ScreenPoint> CursorLocked() const;
    ColourValue PixelLocked(ScreenPoint at) const;
    // The square from the newest full frames, each pixel from its monitor's; its centre is
    // what PixelLocked gives.
    PixelSquare SquareLocked(ScreenPoint centre, int reach) const;
    WaylandScreenReader::FrameCounts FramesLocked() const;

    // Before the loop stops: the PipeWire context goes with the loop.
    void DestroyContext();

    struct Stream;

  private:
    static void OnCoreError(void *data, std::uint32_t id, int, int res, const char *message);
    static void OnStreamState(void *data, pw_stream_state, pw_stream_state state,
                              const char *error);
    static void OnStreamParam(void *data, std::uint32_t id, const spa_pod *param);
    static void OnRemoveBuffer(void *data, pw_buffer *buffer);
    static void OnProcess(void *data);
    static void OnFrameWatch(void *data, std::uint64_t);
    static void OnPaceTimer(void *data, std::uint64_t);

    bool ConnectStream(Stream &s);
    void Relayout();
    void ApplyPace();
    void ShowPointerOnly();
    FrameNews NewsOfFrame();
    void StopFrameWatch();

    pw_thread_loop *thread_;
    pw_loop *loop_;
    Settings settings_;
    Events events_;
    spa_source *frameWatch_ = nullptr;
    spa_source *paceTimer_ = nullptr;
    StreamPacer pacer_;
    std::int64_t resumedAt_ = 0; // the streams resumed from a pause; reads wait for new frames
    // Woken from a rest for a capture: reads wait for a full frame past this count.
    std::optional<std::uint64_t> refreshedAfter_;
    pw_context *context_ = nullptr;
    pw_core *core_ = nullptr;
    spa_hook coreHook_{};
    std::vector<std::unique_ptr<Stream>> streams_;
    std::vector<ScreenRect> rects_;
    std::uint64_t cursorSeq_ = 0;
    // Where the pointer was and what lay under it in the newest full frame, for the pacer.
    std::optional<ScreenPoint> newsAt_;
    ColourValue newsColour_ = CLR_INVALID;
};
