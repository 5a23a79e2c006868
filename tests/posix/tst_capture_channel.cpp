// The capture channel between `kalvor --capture` and the running copy, through real sockets.

#include "platform/posix/CaptureChannel.h"
#include "unit/Testing.h"

#include <algorithm>
#include <filesystem>
#include <future>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using State = CaptureServer::State;

namespace {

struct TempRuntime {
    std::string dir;
    TempRuntime() {
        char name[] = "/tmp/kalvor-channel-XXXXXX";
        dir = mkdtemp(name);
    }
    ~TempRuntime() { std::filesystem::remove_all(dir); }
    CaptureChannelPath Path() const { return LocateCaptureChannel(":7", dir.c_str(), geteuid()); }
};

// Runs the server as a window's event loop would, until done() or a few seconds have passed.
template <typename Done> void Pump(CaptureServer &server, Done done) {
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (!done() && std::chrono::steady_clock::now() < end) {
        std::vector<pollfd> fds;
        for (const int fd : server.WatchedFds())
            fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), 10) > 0)
            for (const pollfd &p : fds)
                if (p.revents != 0)
                    server.Readable(p.fd);
        server.Sweep();
    }
}

void PumpFor(CaptureServer &server, std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    Pump(server, [&] { return std::chrono::steady_clock::now() >= end; });
}

// `kalvor --capture` from another thread while this one serves.
CaptureReply Capture(CaptureServer &server, const std::string &socket) {
    auto reply = std::async(std::launch::async, [&] { return SendCaptureRequest(socket, 2s); });
    Pump(server, [&] { return reply.wait_for(0s) == std::future_status::ready; });
    return reply.get();
}

// A client of our own making: connects and sends bytes; -errno when it cannot connect.
int Send(const std::string &socket, const std::string &bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket.copy(address.sun_path, sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -errno;
    }
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return fd;
}

// What the server said before it closed: "" for nothing, "open" while it has not closed.
std::string AnswerOf(int fd, int waitMs = 0) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, waitMs) == 0)
        return "open";
    char buffer[16];
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

} // namespace

TEST_CASE("socket names: one per display, safe, in a private folder") {
    const std::string fallback = "/tmp/kalvor-4242/capture-:0";
    const std::string longDir = "/" + std::string(120, 'r');
    const struct {
        const char *display;
        const char *runtime;
        std::string socket; // "" when an error is expected
    } rows[] = {
        {":0", "/run/x", "/run/x/kalvor/capture-:0"},
        {"unix:0.1", "/run/x", "/run/x/kalvor/capture-:0"},
        {":1", "/run/x", "/run/x/kalvor/capture-:1"},
        {"localhost:10.0", "/run/x", "/run/x/kalvor/capture-localhost:10"},
        {"h/../x y:3", "/run/x", "/run/x/kalvor/capture-h%2F..%2Fx%20y:3"},
        {"a%2F:0", "/run/x", "/run/x/kalvor/capture-a%252F:0"},
        {":0", "relative", fallback},
        {":0", nullptr, fallback},
        {":0", "/", fallback}, // another user's folder
        {"", "/run/x", ""},
        {":0", longDir.c_str(), ""},
    };
    for (const auto &row : rows) {
        const CaptureChannelPath path = LocateCaptureChannel(row.display, row.runtime, 4242);
        CHECK_EQ(path.socket, row.socket);
        CHECK_EQ(path.error.empty(), !row.socket.empty());
    }
}

TEST_CASE("round trip: each request reaches the window once; none once the copy is gone") {
    TempRuntime runtime;
    const std::string socket = runtime.Path().socket;
    int requests = 0;
    CaptureServer server([&] { ++requests; });
    CHECK(server.Open(runtime.Path()) == State::Listening);
    using std::filesystem::perms, std::filesystem::status;
    CHECK(status(runtime.Path().folder).permissions() == perms::owner_all);
    CHECK(status(socket).permissions() ==
          (perms::owner_read | perms::owner_write | perms::sticky_bit));
    for (int i = 1; i <= 3; ++i) {
        CHECK(Capture(server, socket).taken);
        CHECK_EQ(requests, i);
    }
    // A burst beyond the listen queue and the clients read at once: each one answered is
    // handed over.
    std::vector<std::future<CaptureReply>> burst;
    for (int i = 0; i < 40; ++i)
        burst.push_back(
            std::async(std::launch::async, [&] { return SendCaptureRequest(socket, 2s); }));
    Pump(server, [&] {
        return std::all_of(burst.begin(), burst.end(), [](auto &reply) {
            return reply.wait_for(0s) == std::future_status::ready;
        });
    });
    int taken = 0;
    for (auto &reply : burst)
        taken += reply.get().taken ? 1 : 0;
    CHECK_EQ(taken, 40);
    CHECK_EQ(requests, 3 + taken);
    server.Close();
    CHECK(!std::filesystem::exists(socket));
    CHECK_EQ(SendCaptureRequest(socket, 500ms).reason, "no running copy of Kalvor on this display");
}

TEST_CASE("bad clients are dropped unanswered and never block the others") {
    TempRuntime runtime;
    const std::string socket = runtime.Path().socket;
    int requests = 0;
    CaptureServer server([&] { ++requests; }, {500ms, 4});
    server.Open(runtime.Path());

    const std::string request(CaptureRequest);
    std::vector<int> bad;
    for (const std::string &bytes :
         {std::string("hello\n"), std::string("capture v2\n"), std::string("capture v1\r\n"),
          request + request, std::string(4096, 'x'), std::string("capture\0v1\n", 11)})
        bad.push_back(Send(socket, bytes));
    const int silent = Send(socket, "");
    const int half = Send(socket, request.substr(0, 5));
    close(Send(socket, "")); // gone before it said anything

    // While the silent and the half client wait, a good one is served at once.
    CHECK(Capture(server, socket).taken);
    CHECK_EQ(requests, 1);
    for (const int fd : bad)
        CHECK_EQ(AnswerOf(fd), "");
    CHECK_EQ(server.WatchedFds().size(), std::size_t{3});
    PumpFor(server, 800ms); // past the client timeout
    CHECK_EQ(AnswerOf(silent), "");
    CHECK_EQ(AnswerOf(half), "");
    CHECK_EQ(server.WatchedFds().size(), std::size_t{1});

    // A crowd of silent clients stays within the cap and cannot shut a good one out.
    for (int i = 0; i < 20; ++i) {
        bad.push_back(Send(socket, ""));
        PumpFor(server, 1ms);
    }
    CHECK(server.WatchedFds().size() <= std::size_t{5});
    CHECK(Capture(server, socket).taken);
    CHECK_EQ(requests, 2);
    for (const int fd : bad)
        close(fd);
}

TEST_CASE("two copies: the first keeps the channel, the next takes it when the first goes") {
    TempRuntime runtime;
    const CaptureChannelPath path = runtime.Path();
    // What a copy that crashed leaves: a socket file nobody listens at.
    std::filesystem::create_directory(path.folder);
    sockaddr_un address{AF_UNIX, {}};
    path.socket.copy(address.sun_path, sizeof address.sun_path - 1);
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    CHECK_EQ(bind(stale, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    close(stale);

    int first = 0;
    int second = 0;
    auto older = std::make_unique<CaptureServer>([&] { ++first; });
    CaptureServer newer([&] { ++second; });
    CHECK(older->Open(path) == State::Listening);
    CHECK(newer.Open(path) == State::StandingBy);
    newer.Sweep();
    CHECK(newer.WatchedFds().empty());
    CHECK(Capture(*older, path.socket).taken);
    CHECK_EQ(first, 1);

    older.reset();
    newer.Sweep();
    CHECK(newer.CurrentState() == State::Listening);
    CHECK(Capture(newer, path.socket).taken);
    CHECK_EQ(first, 1);
    CHECK_EQ(second, 1);
}

TEST_CASE("another user cannot reach the channel, even through loosened permissions") {
    if (geteuid() != 0) {
        std::printf("SKIPPED another-user case: needs root to switch users\n");
        return;
    }
    if (getpwnam("kalvor-other") == nullptr)
        std::system("useradd --system --no-create-home --shell /usr/sbin/nologin kalvor-other");
    const passwd *other = getpwnam("kalvor-other");
    CHECK(other != nullptr);
    if (other == nullptr)
        return;
    const uid_t uid = other->pw_uid;
    const gid_t gid = other->pw_gid;

    TempRuntime runtime;
    const std::string socket = runtime.Path().socket;
    int requests = 0;
    CaptureServer server([&] { ++requests; });
    server.Open(runtime.Path());

    // The other user sends a request from a child; its exit status says what came back.
    enum { Answered, Unanswered, NoConnection, NoSwitch };
    const auto asOther = [&] {
        const pid_t child = fork();
        if (child == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(NoSwitch);
            const int fd = Send(socket, std::string(CaptureRequest));
            _exit(fd < 0 ? NoConnection : AnswerOf(fd, 1000) == "" ? Unanswered : Answered);
        }
        int status = -1;
        Pump(server, [&] { return waitpid(child, &status, WNOHANG) == child; });
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    CHECK_EQ(asOther(), int{NoConnection});
    // A mistake opens everything up: the peer check still turns the other user away.
    chmod(runtime.dir.c_str(), 0755);
    chmod(runtime.Path().folder.c_str(), 0777);
    chmod(socket.c_str(), 0666);
    CHECK_EQ(asOther(), int{Unanswered});
    CHECK_EQ(requests, 0);
    CHECK(Capture(server, socket).taken); // the owner still is served
    CHECK_EQ(requests, 1);

    // A folder someone else made where ours belongs is not used.
    TempRuntime squatted;
    std::filesystem::create_directory(squatted.Path().folder);
    CHECK_EQ(chown(squatted.Path().folder.c_str(), uid, gid), 0);
    CaptureServer refused([] {});
    CHECK(refused.Open(squatted.Path()) == State::Closed);
}

TEST_CASE("--history gets the running copy's palette whole, however long") {
    TempRuntime runtime;
    int captures = 0;
    CaptureServer server([&] { ++captures; });
    CHECK(server.Open(runtime.Path()) == State::Listening);
    const auto ask = [&] {
        auto reply = std::async(std::launch::async,
                                [&] { return SendHistoryRequest(runtime.Path().socket, 2s); });
        Pump(server, [&] { return reply.wait_for(0s) == std::future_status::ready; });
        return reply.get();
    };
    const HistoryReply unanswered = ask(); // no history handler: a copy, but no answer
    CHECK(unanswered.running);
    CHECK(unanswered.palette.empty());
    CHECK(!unanswered.reason.empty());
    std::string palette = "GIMP Palette\n";
    while (palette.size() < 3'000'000) // past any socket buffer
        palette += " 30 105 210\t#1E69D2\n";
    server.SetHistoryHandler([&] { return palette; });
    const HistoryReply answered = ask();
    CHECK(answered.running);
    CHECK(answered.reason.empty());
    CHECK(answered.palette == palette);
    CHECK_EQ(captures, 0);
    server.Close();
    const HistoryReply none = SendHistoryRequest(runtime.Path().socket, 2s);
    CHECK(!none.running);
    CHECK(none.reason.empty());
}

CHECK_MAIN
