#include "platform/wayland/WaylandScreenReader.h"

// The module's only export: everything else in it stays hidden (see CMakeLists.txt).
extern "C" __attribute__((visibility("default"))) WaylandScreenReader *
KalvorOpenWaylandReader(const WaylandScreenReader::Options *options) {
    return new WaylandScreenReader(*options);
}
