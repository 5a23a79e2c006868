// The round trip of one capture request: connect, send, the server's handler, the answer.
// The server runs in a process of its own on a poll loop, as a window's event loop drives it;
// the client is what `kalvor --capture` calls. Usage: channel_bench [requests]
#include "platform/posix/CaptureChannel.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void Serve(const CaptureChannelPath &path) {
    CaptureServer server([] {});
    if (server.Open(path) != CaptureServer::State::Listening)
        _exit(1);
    for (;;) {
        std::vector<pollfd> fds;
        for (const int fd : server.WatchedFds())
            fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), server.MillisecondsToNextSweep()) > 0) {
            for (const pollfd &p : fds)
                if (p.revents != 0)
                    server.Readable(p.fd);
        }
        server.Sweep();
    }
}

void Report(const char *what, std::vector<double> us) {
    std::sort(us.begin(), us.end());
    const auto at = [&](double q) { return us[static_cast<std::size_t>(q * (us.size() - 1))]; };
    std::printf("%-34s n=%zu  min %.1f us  median %.1f us  p99 %.1f us  max %.1f us\n", what,
                us.size(), us.front(), at(0.5), at(0.99), us.back());
}

std::vector<double> RoundTrips(const std::string &socket, int count, int *failures) {
    std::vector<double> us;
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const CaptureReply reply = SendCaptureRequest(socket);
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        if (reply.taken)
            us.push_back(took.count());
        else
            ++*failures;
    }
    return us;
}

} // namespace

int main(int argc, char **argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    char name[] = "/tmp/kalvor-channel-bench-XXXXXX";
    const std::string runtime = mkdtemp(name);
    const CaptureChannelPath path = LocateCaptureChannel(":99", runtime.c_str(), geteuid());

    const pid_t server = fork();
    if (server == 0)
        Serve(path);
    // Wait for the socket to appear.
    while (!std::filesystem::exists(path.socket))
        usleep(1000);

    int failures = 0;
    RoundTrips(path.socket, 50, &failures); // warm up
    Report("idle server", RoundTrips(path.socket, count, &failures));

    // Eight clients that connect and say nothing sit in the server's queue meanwhile.
    std::vector<int> silent;
    for (int i = 0; i < 8; ++i) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.socket.copy(address.sun_path, sizeof address.sun_path - 1);
        if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            silent.push_back(fd);
    }
    Report("server holding 8 silent clients", RoundTrips(path.socket, count, &failures));
    std::printf("requests not taken: %d\n", failures);

    for (const int fd : silent)
        close(fd);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::filesystem::remove_all(runtime);
    return failures == 0 ? 0 : 1;
}
