// A full-screen Wayland client that paints what the tests expect to read back:
//   painter coords                     pixel (x, y) = R x&255, G y&255, B (x>>8)<<4 | (y>>8)
//   painter solid RRGGBB[,RRGGBB...] [PERIOD_MS]   one colour, or a new one every period
// --scale N paints at buffer scale N (N buffer pixels per logical pixel); --output N goes full
// screen on the Nth output (in the order the compositor announces them). Every commit prints
// "PAINT mono_ns=<CLOCK_MONOTONIC ns> rgb=<rrggbb|coords>".
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

struct Globals {
    wl_compositor *compositor = nullptr;
    wl_shm *shm = nullptr;
    xdg_wm_base *shell = nullptr;
    std::vector<wl_output *> outputs;
    int width = 0;
    int height = 0;
    bool configured = false;
    bool closed = false;
};

struct Buffer {
    wl_buffer *buffer = nullptr;
    std::uint32_t *pixels = nullptr;
    bool busy = false;
};

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void OnGlobal(void *data, wl_registry *registry, std::uint32_t name, const char *interface,
              std::uint32_t) {
    auto *g = static_cast<Globals *>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        g->compositor = static_cast<wl_compositor *>(
            wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        g->shm = static_cast<wl_shm *>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, wl_output_interface.name) == 0)
        g->outputs.push_back(
            static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 1)));
    else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0)
        g->shell =
            static_cast<xdg_wm_base *>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
}
void OnGlobalRemove(void *, wl_registry *, std::uint32_t) {}
const wl_registry_listener registryListener{OnGlobal, OnGlobalRemove};

void OnPing(void *, xdg_wm_base *shell, std::uint32_t serial) {
    xdg_wm_base_pong(shell, serial);
}
const xdg_wm_base_listener shellListener{OnPing};

void OnSurfaceConfigure(void *data, xdg_surface *surface, std::uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    static_cast<Globals *>(data)->configured = true;
}
const xdg_surface_listener surfaceListener{OnSurfaceConfigure};

void OnToplevelConfigure(void *data, xdg_toplevel *, std::int32_t w, std::int32_t h, wl_array *) {
    auto *g = static_cast<Globals *>(data);
    if (w > 0 && h > 0) {
        g->width = w;
        g->height = h;
    }
}
void OnToplevelClose(void *data, xdg_toplevel *) {
    static_cast<Globals *>(data)->closed = true;
}
const xdg_toplevel_listener toplevelListener{OnToplevelConfigure, OnToplevelClose};

void OnRelease(void *data, wl_buffer *) {
    static_cast<Buffer *>(data)->busy = false;
}
const wl_buffer_listener bufferListener{OnRelease};

} // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int scale = 1;
    int output = -1;
    for (std::size_t i = 0; i + 1 < args.size();) {
        if (args[i] != "--scale" && args[i] != "--output") {
            ++i;
            continue;
        }
        (args[i] == "--scale" ? scale : output) = std::atoi(args[i + 1].c_str());
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
    }
    const bool coords = !args.empty() && args[0] == "coords";
    std::vector<std::uint32_t> colours;
    if (!coords && args.size() >= 2)
        for (const char *p = args[1].c_str(); *p != '\0';) {
            char *end = nullptr;
            colours.push_back(static_cast<std::uint32_t>(std::strtoul(p, &end, 16)));
            p = *end == ',' ? end + 1 : end;
        }
    const int period = !coords && args.size() >= 3 ? std::atoi(args[2].c_str()) : 0;
    if (!coords && colours.empty()) {
        std::fprintf(stderr,
                     "usage: painter coords | solid RRGGBB[,...] [PERIOD_MS] [--scale N]\n");
        return 2;
    }

    Globals g;
    wl_display *display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "painter: no Wayland display\n");
        return 1;
    }
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &g);
    wl_display_roundtrip(display);
    if (g.compositor == nullptr || g.shm == nullptr || g.shell == nullptr)
        return 1;
    xdg_wm_base_add_listener(g.shell, &shellListener, &g);
    wl_surface *surface = wl_compositor_create_surface(g.compositor);
    xdg_surface *xsurface = xdg_wm_base_get_xdg_surface(g.shell, surface);
    xdg_surface_add_listener(xsurface, &surfaceListener, &g);
    xdg_toplevel *toplevel = xdg_surface_get_toplevel(xsurface);
    xdg_toplevel_add_listener(toplevel, &toplevelListener, &g);
    xdg_toplevel_set_title(toplevel, "painter");
    xdg_toplevel_set_fullscreen(toplevel, output >= 0 && output < static_cast<int>(g.outputs.size())
                                              ? g.outputs[static_cast<std::size_t>(output)]
                                              : nullptr);
    wl_surface_commit(surface);
    while (!g.configured || g.width == 0)
        if (wl_display_dispatch(display) < 0)
            return 1;

    const int width = g.width * scale;
    const int height = g.height * scale;
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    const int fd = memfd_create("painter", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size * 2)) != 0)
        return 1;
    auto *memory = static_cast<std::uint8_t *>(
        mmap(nullptr, size * 2, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    wl_shm_pool *pool = wl_shm_create_pool(g.shm, fd, static_cast<std::int32_t>(size * 2));
    Buffer buffers[2];
    for (int i = 0; i < 2; ++i) {
        buffers[i].buffer =
            wl_shm_pool_create_buffer(pool, static_cast<std::int32_t>(size) * i, width, height,
                                      width * 4, WL_SHM_FORMAT_XRGB8888);
        buffers[i].pixels =
            reinterpret_cast<std::uint32_t *>(memory + size * static_cast<std::size_t>(i));
        wl_buffer_add_listener(buffers[i].buffer, &bufferListener, &buffers[i]);
    }
    wl_surface_set_buffer_scale(surface, scale);
    std::fprintf(stderr, "painter: %dx%d logical, buffer %dx%d\n", g.width, g.height, width,
                 height);

    std::size_t next = 0;
    bool first = true;
    long long due = MonotonicNs();
    while (!g.closed) {
        if (first || (period > 0 && MonotonicNs() >= due)) {
            Buffer *b = !buffers[0].busy ? &buffers[0] : !buffers[1].busy ? &buffers[1] : nullptr;
            if (b != nullptr) {
                const std::uint32_t colour = coords ? 0 : colours[next % colours.size()];
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        b->pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(x)] =
                            coords
                                ? static_cast<std::uint32_t>(((x & 255) << 16) | ((y & 255) << 8) |
                                                             ((x >> 8) << 4) | (y >> 8))
                                : colour;
                wl_surface_attach(surface, b->buffer, 0, 0);
                wl_surface_damage_buffer(surface, 0, 0, width, height);
                wl_surface_commit(surface);
                wl_display_flush(display);
                b->busy = true;
                if (coords)
                    std::printf("PAINT mono_ns=%lld rgb=coords\n", MonotonicNs());
                else
                    std::printf("PAINT mono_ns=%lld rgb=%06x\n", MonotonicNs(), colour);
                std::fflush(stdout);
                ++next;
                first = false;
                due += period * 1000000LL;
                if (due < MonotonicNs())
                    due = MonotonicNs() + period * 1000000LL;
            }
        }
        wl_display_flush(display);
        pollfd input{wl_display_get_fd(display), POLLIN, 0};
        int timeout = -1;
        if (period > 0)
            timeout = static_cast<int>(std::max(0LL, (due - MonotonicNs()) / 1000000));
        if (poll(&input, 1, timeout) > 0) {
            if (wl_display_dispatch(display) < 0)
                break;
        } else {
            wl_display_dispatch_pending(display);
        }
    }
    return 0;
}
