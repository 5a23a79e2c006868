// The least a reader of a screen cast can do, for comparing what a compositor costs with what
// the backend costs: one PipeWire stream per node on a remote's descriptor, asking what the
// backend asks (StreamParams), keeping the newest buffer with pixels and handing every other
// one straight back. Nothing else.
//   cast-consumer FD NODE... [--max-fps N]
// FD: an open PipeWire remote (the portal's OpenPipeWireRemote). Prints "STREAMING <node>" once
// each streams, and on SIGTERM or SIGINT "FRAMES full=<n> cursor_only=<n>".
#include "platform/wayland/StreamParams.h"

#include <pipewire/pipewire.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Reader {
    pw_stream *stream = nullptr;
    spa_hook hook{};
    std::uint32_t node = 0;
    pw_buffer *held = nullptr;
};

unsigned long long fullFrames = 0;
unsigned long long cursorOnly = 0;

void OnState(void *data, pw_stream_state, pw_stream_state state, const char *error) {
    const auto *r = static_cast<Reader *>(data);
    if (state == PW_STREAM_STATE_STREAMING)
        std::printf("STREAMING %u\n", r->node);
    else if (state == PW_STREAM_STATE_ERROR)
        std::printf("ERROR %u %s\n", r->node, error != nullptr ? error : "");
    std::fflush(stdout);
}

void OnParam(void *data, std::uint32_t id, const spa_pod *param) {
    auto *r = static_cast<Reader *>(data);
    if (param == nullptr || id != SPA_PARAM_Format)
        return;
    std::uint8_t storage[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    std::array<const spa_pod *, 3> params = StreamBuffers(b);
    pw_stream_update_params(r->stream, params.data(), static_cast<std::uint32_t>(params.size()));
}

void OnProcess(void *data) {
    auto *r = static_cast<Reader *>(data);
    pw_buffer *b = nullptr;
    while ((b = pw_stream_dequeue_buffer(r->stream)) != nullptr) {
        const spa_buffer *sb = b->buffer;
        const bool pixels = sb->n_datas > 0 && sb->datas[0].data != nullptr &&
                            sb->datas[0].chunk != nullptr && sb->datas[0].chunk->size > 0 &&
                            (sb->datas[0].chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) == 0;
        if (!pixels) {
            cursorOnly++;
            pw_stream_queue_buffer(r->stream, b);
            continue;
        }
        fullFrames++;
        if (r->held != nullptr)
            pw_stream_queue_buffer(r->stream, r->held);
        r->held = b;
    }
}

pw_main_loop *mainLoop = nullptr;

void Quit(void *, int) {
    pw_main_loop_quit(mainLoop);
}

} // namespace

int main(int argc, char **argv) {
    std::vector<std::uint32_t> nodes;
    unsigned fps = 20;
    int fd = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--max-fps" && i + 1 < argc)
            fps = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (fd < 0)
            fd = std::atoi(argv[i]);
        else
            nodes.push_back(static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    }
    if (fd < 0 || nodes.empty()) {
        std::fprintf(stderr, "usage: cast-consumer FD NODE... [--max-fps N]\n");
        return 2;
    }
    pw_init(&argc, &argv);
    mainLoop = pw_main_loop_new(nullptr);
    pw_loop *loop = pw_main_loop_get_loop(mainLoop);
    pw_loop_add_signal(loop, SIGTERM, Quit, nullptr);
    pw_loop_add_signal(loop, SIGINT, Quit, nullptr);
    pw_context *context = pw_context_new(loop, nullptr, 0);
    pw_core *core = pw_context_connect_fd(context, fd, nullptr, 0);
    if (core == nullptr) {
        std::fprintf(stderr, "cast-consumer: cannot connect to the remote\n");
        return 1;
    }
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = OnState;
        e.param_changed = OnParam;
        e.process = OnProcess;
        return e;
    }();
    std::vector<std::unique_ptr<Reader>> readers;
    for (const std::uint32_t node : nodes) {
        auto r = std::make_unique<Reader>();
        r->node = node;
        r->stream =
            pw_stream_new(core, "cast-consumer",
                          pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                            "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        pw_stream_add_listener(r->stream, &r->hook, &events, r.get());
        std::uint8_t storage[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        const spa_pod *params[1] = {StreamFormat(b, fps)};
        const auto flags =
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
        if (pw_stream_connect(r->stream, PW_DIRECTION_INPUT, node, flags, params, 1) < 0) {
            std::fprintf(stderr, "cast-consumer: cannot open the stream of node %u\n", node);
            return 1;
        }
        readers.push_back(std::move(r));
    }
    pw_main_loop_run(mainLoop);
    std::printf("FRAMES full=%llu cursor_only=%llu\n", fullFrames, cursorOnly);
    for (auto &r : readers)
        pw_stream_destroy(r->stream);
    pw_core_disconnect(core);
    pw_context_destroy(context);
    pw_main_loop_destroy(mainLoop);
    pw_deinit();
    return 0;
}
