// The pointer of a KWin session, moved through KWin's fake-input protocol (offered only to an
// executable that a desktop file names; kde-session.sh writes one for $KW_DIR/bin).
// Standard input, one command a line: "move X Y" (absolute, logical pixels), answered
// "MOVED X Y" once KWin has taken it. Prints "READY" first.
#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

org_kde_kwin_fake_input *fake = nullptr;

void OnGlobal(void *, wl_registry *registry, std::uint32_t name, const char *interface,
              std::uint32_t) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        fake = static_cast<org_kde_kwin_fake_input *>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 3));
}
void OnGlobalRemove(void *, wl_registry *, std::uint32_t) {}
const wl_registry_listener registryListener{OnGlobal, OnGlobalRemove};

} // namespace

int main() {
    wl_display *display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "kde-input: no Wayland display\n");
        return 1;
    }
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (fake == nullptr) {
        std::fprintf(stderr, "kde-input: KWin offers no fake input to this executable\n");
        return 1;
    }
    // KWin 5.27 grants any device that asks.
    org_kde_kwin_fake_input_authenticate(fake, "kalvor tests", "moves the pointer");
    wl_display_roundtrip(display);
    std::printf("READY\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        double x = 0;
        double y = 0;
        if (!(words >> command >> x >> y) || command != "move") {
            std::printf("ERROR %s\n", line.c_str());
        } else {
            org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_double(x),
                                                            wl_fixed_from_double(y));
            wl_display_roundtrip(display);
            std::printf("MOVED %g %g\n", x, y);
        }
        std::fflush(stdout);
    }
    org_kde_kwin_fake_input_destroy(fake);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
