#include "platform/wayland/PipeWireStreams.h"

#include "platform/wayland/PortalRequest.h"
#include "platform/wayland/StreamParams.h"

#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// How long the first read after a resume waits for a frame newer than the resume.
constexpr std::int64_t kFreshFrameWaitNs = 200 * 1000000LL;

using portal::MonotonicNs;

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

} // namespace

struct PipeWireStreams::Stream {
    PipeWireStreams *owner = nullptr;
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

PipeWireStreams::PipeWireStreams(pw_thread_loop *thread, Settings settings, Events events)
    : thread_(thread), loop_(pw_thread_loop_get_loop(thread)), settings_(settings),
      events_(std::move(events)), pacer_(settings.restBetweenFrames) {
    frameWatch_ = pw_loop_add_timer(loop_, OnFrameWatch, this);
    paceTimer_ = pw_loop_add_timer(loop_, OnPaceTimer, this);
}

PipeWireStreams::~PipeWireStreams() {
    pw_loop_destroy_source(loop_, frameWatch_);
    pw_loop_destroy_source(loop_, paceTimer_);
}

void PipeWireStreams::DestroyContext() {
    if (context_ != nullptr)
        pw_context_destroy(context_);
    context_ = nullptr;
}

std::string PipeWireStreams::Connect(int fd, const std::vector<std::uint32_t> &nodes,
                                     const std::vector<StreamPlacement> &placements, bool rest) {
    pacer_.SetRest(rest && settings_.restBetweenFrames);
    if (context_ == nullptr)
        context_ = pw_context_new(loop_, nullptr, 0);
    if (context_ == nullptr) {
        close(fd);
        return "cannot set up PipeWire";
    }
    core_ = pw_context_connect_fd(context_, fd, nullptr, 0);
    if (core_ == nullptr)
        return std::strerror(errno);
    static const pw_core_events coreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.error = OnCoreError;
        return events;
    }();
    // The listener macro casts C-style inside; nothing of ours to fix there.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
    pw_core_add_listener(core_, &coreHook_, &coreEvents, this);
#pragma GCC diagnostic pop
    for (std::size_t i = 0; i < nodes.size() && i < placements.size(); ++i) {
        auto stream = std::make_unique<Stream>();
        stream->owner = this;
        stream->node = nodes[i];
        stream->placement = placements[i];
        stream->toDrop = settings_.dropFirstFrames;
        if (!ConnectStream(*stream)) {
            Disconnect();
            return "cannot open a screen stream";
        }
        streams_.push_back(std::move(stream));
    }
    Relayout();
    timespec every{1, 0};
    pw_loop_update_timer(loop_, frameWatch_, &every, &every, false);
    ApplyPace();
    return {};
}

// ---- pausing: what the window needs of the streams ------------------------------------------

void PipeWireStreams::SetDemand(StreamDemand demand) {
    if (pacer_.Demand(demand)) {
        // Whatever a stream kept from before the pause may be gone from the screen.
        for (auto &s : streams_) {
            if (s->held != nullptr)
                pw_stream_queue_buffer(s->stream, s->held);
            s->held = nullptr;
            s->frame = FrameView{};
            s->cursorIn = false;
        }
        resumedAt_ = MonotonicNs();
        refreshedAfter_.reset();
    }
    ApplyPace();
}

void PipeWireStreams::Refresh() {
    if (!pacer_.Hurry())
        return;
    refreshedAfter_ = FramesLocked().full;
    resumedAt_ = MonotonicNs();
    ApplyPace();
}

void PipeWireStreams::PointerMovedOverWindow() {
    pacer_.PointerMoved();
    ApplyPace();
}

void PipeWireStreams::ApplyPace() {
    for (auto &s : streams_)
        if (s->active != pacer_.Active()) {
            s->active = pacer_.Active();
            pw_stream_set_active(s->stream, s->active);
        }
    timespec at{};
    if (const std::int64_t due = pacer_.NextWake(); due != 0) {
        const std::int64_t in = std::max<std::int64_t>(1, due - MonotonicNs());
        at = {static_cast<time_t>(in / 1000000000LL), static_cast<long>(in % 1000000000LL)};
    }
    if (paceTimer_ != nullptr)
        pw_loop_update_timer(loop_, paceTimer_, &at, nullptr, false);
}

void PipeWireStreams::OnPaceTimer(void *data, std::uint64_t) {
    auto *self = static_cast<PipeWireStreams *>(data);
    self->pacer_.Wake(MonotonicNs());
    self->ApplyPace();
}

bool PipeWireStreams::AwaitingFreshFrames() {
    if (resumedAt_ == 0)
        return false;
    const bool waiting = refreshedAfter_
                             ? FramesLocked().full == *refreshedAfter_
                             : std::any_of(streams_.begin(), streams_.end(), [](const auto &s) {
                                   return s->streaming && s->held == nullptr;
                               });
    if (!waiting || MonotonicNs() - resumedAt_ > kFreshFrameWaitNs) {
        resumedAt_ = 0;
        refreshedAfter_.reset();
    }
    return resumedAt_ != 0;
}

// A compositor sends pixels only when the screen changes, so a monitor whose first frame was
// lost would stay unreadable for as long as it stands still. Pausing and resuming the stream
// makes the compositor send the picture again.
// A stream that brings cursor updates and no picture even after a resume has a compositor
// that records no frames for it (KWin 5.27 without a GPU, for a monitor): it is left alone, as
// each resume there adds one more frame handler, and the user is told.
void PipeWireStreams::OnFrameWatch(void *data, std::uint64_t) {
    auto *self = static_cast<PipeWireStreams *>(data);
    constexpr int kPatienceTicks = 2; // a full second streaming without a picture
    constexpr int kRetryTicks = 3;
    constexpr int kAnswerTicks = 2; // for a picture after a resume, on a loaded machine too
    for (auto &s : self->streams_) {
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
void PipeWireStreams::ShowPointerOnly() {
    for (const auto &s : streams_)
        if (s->held != nullptr)
            return;
    events_.report(State::NoPicture);
}

void PipeWireStreams::StopFrameWatch() {
    timespec off{};
    if (frameWatch_ != nullptr)
        pw_loop_update_timer(loop_, frameWatch_, &off, nullptr, false);
}

bool PipeWireStreams::ConnectStream(Stream &s) {
    s.stream = pw_stream_new(core_, "kalvor-screen",
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
    const spa_pod *params[1] = {StreamFormat(b, settings_.maxFramesPerSecond)};
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
    return pw_stream_connect(s.stream, PW_DIRECTION_INPUT, s.node, flags, params, 1) >= 0;
}

void PipeWireStreams::Disconnect() {
    StopFrameWatch();
    for (auto &s : streams_) {
        spa_hook_remove(&s->hook);
        pw_stream_destroy(s->stream);
    }
    streams_.clear();
    rects_.clear();
    if (core_ != nullptr) {
        spa_hook_remove(&coreHook_);
        pw_core_disconnect(core_);
        core_ = nullptr;
    }
}

void PipeWireStreams::Relayout() {
    std::vector<StreamPlacement> placements;
    for (const auto &s : streams_)
        placements.push_back(s->placement);
    rects_ = LayOutStreams(placements);
}

void PipeWireStreams::OnCoreError(void *data, std::uint32_t id, int, int res, const char *message) {
    auto *self = static_cast<PipeWireStreams *>(data);
    if (id == PW_ID_CORE)
        self->events_.failLater(State::PipeWireDied,
                                message != nullptr ? message : std::strerror(-res));
}

void PipeWireStreams::OnStreamState(void *data, pw_stream_state, pw_stream_state state,
                                    const char *error) {
    auto *s = static_cast<Stream *>(data);
    PipeWireStreams *self = s->owner;
    if (state == PW_STREAM_STATE_STREAMING) {
        s->streaming = true;
        // A resume after a pause brings no picture to a stream that never had one.
        if (!s->pointerOnly)
            self->events_.report(State::Sampling);
    } else if (state == PW_STREAM_STATE_ERROR) {
        self->events_.failLater(State::PipeWireDied, error != nullptr ? error : "stream error");
    } else if (state == PW_STREAM_STATE_UNCONNECTED && s->streaming) {
        self->events_.failLater(State::Revoked, "the screen stream ended");
    }
}
void PipeWireStreams::OnStreamParam(void *data, std::uint32_t id, const spa_pod *param) {
    auto *s = static_cast<Stream *>(data);
    if (param == nullptr || id != SPA_PARAM_Format)
        return;
    spa_video_info_raw info{};
    if (spa_format_video_raw_parse(param, &info) < 0)
        return;
    s->format = FromSpa(info.format);
    s->placement.frameWidth = static_cast<int>(info.size.width);
    s->placement.frameHeight = static_cast<int>(info.size.height);
    s->owner->Relayout();

    std::uint8_t buffer[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    std::array<const spa_pod *, 3> params = StreamBuffers(b);
    pw_stream_update_params(s->stream, params.data(), static_cast<std::uint32_t>(params.size()));
}

void PipeWireStreams::OnRemoveBuffer(void *data, pw_buffer *buffer) {
    auto *s = static_cast<Stream *>(data);
    if (s->held == buffer) {
        s->held = nullptr;
        s->frame = FrameView{};
    }
}

void PipeWireStreams::OnProcess(void *data) {
    auto *s = static_cast<Stream *>(data);
    PipeWireStreams *self = s->owner;
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
                s->cursorSeq = ++self->cursorSeq_;
            }
        }
        // Most buffers carry only the cursor (no pixels): the last full frame stays.
        const spa_data &d = sb->datas[0];
        const bool pixels = sb->n_datas > 0 && d.data != nullptr && d.chunk != nullptr &&
                            d.chunk->size > 0 && (d.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) == 0 &&
                            d.chunk->offset < d.maxsize && s->format.has_value();
        if (!pixels) {
            s->cursorOnly++;
            pw_stream_queue_buffer(s->stream, b);
            continue;
        }
        s->pictureSeen = true;
        if (s->pointerOnly) {
            s->pointerOnly = false;
            if (self->events_.current() == State::NoPicture)
                self->events_.report(State::Sampling);
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
        self->pacer_.FullFrame(MonotonicNs(), self->NewsOfFrame());
        if (!self->pacer_.Active()) { // paced: rest, once out of this callback
            timespec now{0, 1};
            pw_loop_update_timer(self->loop_, self->paceTimer_, &now, nullptr, false);
        }
        if (self->resumedAt_ != 0)
            pw_thread_loop_signal(self->thread_, false);
    }
}

FrameNews PipeWireStreams::NewsOfFrame() {
    const std::optional<ScreenPoint> at = CursorLocked();
    const ColourValue colour = at ? PixelLocked(*at) : CLR_INVALID;
    const FrameNews news{at != newsAt_, colour != newsColour_};
    newsAt_ = at;
    newsColour_ = colour;
    return news;
}

// ---- the pointer and the pixel (any thread, under the loop's lock) --------------------------

std::optional<ScreenPoint> PipeWireStreams::CursorLocked() const {
    if (!pacer_.Reading())
        return std::nullopt;
    const Stream *best = nullptr;
    std::size_t index = 0;
    for (std::size_t i = 0; i < streams_.size() && i < rects_.size(); ++i) {
        const Stream *s = streams_[i].get();
        if (s->cursorIn && (best == nullptr || s->cursorSeq > best->cursorSeq)) {
            best = s;
            index = i;
        }
    }
    if (best == nullptr)
        return std::nullopt;
    return ScreenPoint{rects_[index].left + best->cursor.x, rects_[index].top + best->cursor.y};
}

ColourValue PipeWireStreams::PixelLocked(ScreenPoint at) const {
    return SquareLocked(at, 0).Centre();
}

PixelSquare PipeWireStreams::SquareLocked(ScreenPoint centre, int reach) const {
    if (!pacer_.Reading())
        return UnreadSquare(centre, reach);
    std::vector<FrameView> frames;
    for (const auto &s : streams_)
        frames.push_back(s->frame);
    return SquareFromFrames(rects_, frames, centre, reach);
}

WaylandScreenReader::FrameCounts PipeWireStreams::FramesLocked() const {
    WaylandScreenReader::FrameCounts counts;
    for (const auto &s : streams_) {
        counts.full += s->fullFrames;
        counts.cursorOnly += s->cursorOnly;
    }
    return counts;
}
