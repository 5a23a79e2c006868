// kalvor-wayland-probe: the Wayland backend on its own, for tests, benchmarks and bug reports.
// It reads the screen exactly as the window's tick does (pointer, then the pixel under it).
//
//   kalvor-wayland-probe [--every MS] [--changes] [--state-dir DIR] [--max-fps N]
//                        [--no-shortcut] [--seconds N] [--drop-frames N]
// Standard input, one command a line: sample | ask | pick | frames | quit |
//   pause | slow | full (what the window would need, SetDemand) |
//   moved (the pointer moved over the window) | refresh (a capture is due) |
//   find dark|RRGGBB X0 Y0 X1 Y1 (the first such pixel of the rectangle, row by row, from the
//   newest frame: the pointer stays where it is) |
//   square X Y R [STEP] (the (2R+1)^2 pixels STEP apart around (X, Y), from one read of the
//   square they span). SIGUSR1 = frames. --max-fps 0: no cap.
// Standard output:
//   STATUS <state> <text>            whenever the status changes
//   SHORTCUT <state> <trigger>       whenever the capture shortcut changes
//   CAPTURE                          the desktop's capture shortcut was pressed
//   SAMPLE mono_ns=<t> pos=<x>,<y> rgb=#rrggbb   (pos=none / rgb=none for a failed read)
//   PICKED #rrggbb | PICKED none
//   FRAMES full=<n> cursor_only=<n>  buffers received since sampling started
//   FOUND <x>,<y> | FOUND none
//   SQUARE rrggbb|none ...           row by row
#include "platform/wayland/WaylandScreenReader.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t framesRequested = 0;
std::mutex outputMutex;

void Print(const std::string &line) {
    std::lock_guard<std::mutex> lock(outputMutex);
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

std::string Hex(ColourValue colour) {
    if (colour == CLR_INVALID)
        return "none";
    const ColourComponents c = SplitColour(colour);
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
    return text;
}

const char *ShortcutName(WaylandScreenReader::ShortcutState state) {
    switch (state) {
    case WaylandScreenReader::ShortcutState::Unavailable:
        return "unavailable";
    case WaylandScreenReader::ShortcutState::Pending:
        return "pending";
    case WaylandScreenReader::ShortcutState::Bound:
        return "bound";
    }
    return "unknown";
}

// "dark|RRGGBB X0 Y0 X1 Y1": the first pixel that matches, row by row.
std::string Find(WaylandScreenReader &reader, const std::string &what) {
    char colour[16] = {};
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (std::sscanf(what.c_str(), "%15s %d %d %d %d", colour, &x0, &y0, &x1, &y1) != 5)
        return "none";
    const bool dark = std::strcmp(colour, "dark") == 0;
    const std::string wanted = std::string("#") + colour;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const ColourValue c = reader.GetPixel(reader.GetDesktopWindow(), {x, y});
            if (c == CLR_INVALID)
                continue;
            const ColourComponents p = SplitColour(c);
            if (dark ? p.red < 0x80 && p.green < 0x80 && p.blue < 0x80 : Hex(c) == wanted)
                return std::to_string(x) + "," + std::to_string(y);
        }
    return "none";
}

// "X Y R [STEP]": one ReadSquare, as the window's tick reads it; every STEPth pixel printed.
std::string Square(WaylandScreenReader &reader, const std::string &what) {
    int x = 0, y = 0, reach = 0, step = 1;
    if (std::sscanf(what.c_str(), "%d %d %d %d", &x, &y, &reach, &step) < 3 || reach < 0 ||
        step < 1)
        return "";
    const PixelSquare square = reader.ReadSquare(reader.GetDesktopWindow(), {x, y}, reach * step);
    std::string line;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const std::string hex = Hex(square.At(dx * step, dy * step));
            line += " " + (hex == "none" ? hex : hex.substr(1));
        }
    return line;
}

} // namespace

int main(int argc, char **argv) {
    WaylandScreenReader::Options options;
    int every = 0;
    int seconds = 0;
    bool changesOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--every" && hasValue)
            every = std::atoi(argv[++i]);
        else if (arg == "--changes")
            changesOnly = true;
        else if (arg == "--state-dir" && hasValue)
            options.stateFolder = argv[++i];
        else if (arg == "--drop-frames" && hasValue)
            options.dropFirstFrames = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (arg == "--max-fps" && hasValue)
            options.maxFramesPerSecond = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (arg == "--no-shortcut")
            options.registerShortcut = false;
        else if (arg == "--seconds" && hasValue)
            seconds = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr,
                         "usage: %s [--every MS] [--changes] [--state-dir DIR] "
                         "[--max-fps N] [--no-shortcut] [--seconds N] [--drop-frames N]\n",
                         argv[0]);
            return 2;
        }
    }
    options.onStatusChanged = [](const WaylandScreenReader::Status &status) {
        Print(std::string("STATUS ") + WaylandScreenReader::Name(status.state) + " " + status.text);
    };
    options.onShortcutChanged = [](const WaylandScreenReader::Shortcut &shortcut) {
        Print(std::string("SHORTCUT ") + ShortcutName(shortcut.state) + " " + shortcut.trigger);
    };
    options.onCaptureShortcut = [] { Print("CAPTURE"); };

    struct sigaction action {};
    action.sa_handler = [](int) { stopRequested = 1; };
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    struct sigaction frames {};
    frames.sa_handler = [](int) { framesRequested = 1; };
    sigaction(SIGUSR1, &frames, nullptr);

    WaylandScreenReader reader(options);
    reader.Start();

    std::string lastColour;
    const auto sample = [&](bool always) {
        const auto pointer = reader.GetCursorPos();
        const ColourValue colour =
            pointer ? reader.GetPixel(reader.GetDesktopWindow(), *pointer) : CLR_INVALID;
        const std::string position =
            pointer ? std::to_string(pointer->x) + "," + std::to_string(pointer->y) : "none";
        const std::string hex = Hex(colour);
        if (always || !changesOnly || hex != lastColour)
            Print("SAMPLE mono_ns=" + std::to_string(MonotonicNs()) + " pos=" + position +
                  " rgb=" + hex);
        lastColour = hex;
    };

    const long long deadline = seconds > 0 ? MonotonicNs() + seconds * 1000000000LL : 0;
    long long nextTick = MonotonicNs();
    std::string pending;
    bool inputOpen = true;
    while (stopRequested == 0 && (deadline == 0 || MonotonicNs() < deadline)) {
        // Rounded up: a wait cut to 0 ms would spin through the last millisecond.
        const auto millisecondsTo = [](long long at) {
            return static_cast<int>(std::max(0LL, (at - MonotonicNs() + 999999) / 1000000));
        };
        int timeout = -1;
        if (every > 0)
            timeout = millisecondsTo(nextTick);
        else if (deadline != 0)
            timeout = millisecondsTo(deadline);
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, inputOpen ? 1 : 0, timeout);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0) {
            char chunk[256];
            const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
            if (got <= 0) {
                inputOpen = false;
                if (every == 0 && deadline == 0)
                    break;
            } else {
                pending.append(chunk, static_cast<std::size_t>(got));
            }
            std::size_t end = 0;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string command = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (command == "sample")
                    sample(true);
                else if (command == "ask")
                    reader.AskAgain();
                else if (command == "pick")
                    reader.PickColor([](ColourValue c) { Print("PICKED " + Hex(c)); });
                else if (command == "frames")
                    framesRequested = 1;
                else if (command == "quit")
                    stopRequested = 1;
                else if (command == "pause")
                    reader.SetDemand(StreamDemand::Paused);
                else if (command == "slow")
                    reader.SetDemand(StreamDemand::Slow);
                else if (command == "full")
                    reader.SetDemand(StreamDemand::Full);
                else if (command == "moved")
                    reader.PointerMovedOverWindow();
                else if (command == "refresh")
                    reader.Refresh();
                else if (command.rfind("find ", 0) == 0)
                    Print("FOUND " + Find(reader, command.substr(5)));
                else if (command.rfind("square ", 0) == 0)
                    Print("SQUARE" + Square(reader, command.substr(7)));
            }
        }
        if (framesRequested != 0) {
            framesRequested = 0;
            const auto counts = reader.Frames();
            Print("FRAMES full=" + std::to_string(counts.full) +
                  " cursor_only=" + std::to_string(counts.cursorOnly));
        }
        if (every > 0 && MonotonicNs() >= nextTick) {
            sample(false);
            nextTick += every * 1000000LL;
            if (nextTick < MonotonicNs())
                nextTick = MonotonicNs() + every * 1000000LL;
        }
    }
    return 0;
}
