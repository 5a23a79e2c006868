// The capture channel between `kalvor --capture` and the running copy, through real sockets.

#include "platform/posix/CaptureChannel.h"
#include "tests/unit/Check.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

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

// Runs the server's side of a poll loop until done() or a few seconds have passed.
template <typename Done> void Pump(CaptureServer &server, Done done) {
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (!done() && std::chrono::steady_clock::now() < end) {
        std::vector<pollfd> fds;
        for (const int fd : server.WatchedFds())
            fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), 10) > 0) {
            for (const pollfd &p : fds)
                if (p.revents != 0)
                    server.Readable(p.fd);
        }
        server.Sweep();
    }
}

void PumpFor(CaptureServer &server, std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    Pump(server, [&] { return std::chrono::steady_clock::now() >= end; });
}

// `kalvor --capture` from another thread while this one runs the server.
CaptureReply Capture(CaptureServer &server, const std::string &socket) {
    auto reply = std::async(std::launch::async, [&] { return SendCaptureRequest(socket, 2s); });
    Pump(server, [&] { return reply.wait_for(0s) == std::future_status::ready; });
    return reply.get();
}

int RawConnect(const std::string &socket) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket.copy(address.sun_path, sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -errno;
    }
    return fd;
}

// What the server said before closing: "" when it closed without an answer, "open" when it
// has neither answered nor closed yet.
std::string AnswerOf(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) == 0)
        return "open";
    char buffer[16];
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

mode_t ModeOf(const std::string &path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

TEST_CASE("socket names: one per display, safe, in a private folder") {
    struct Row {
        const char *display;
        const char *runtime;
        const char *socket; // "" when an error is expected
    };
    const std::string longDir = "/" + std::string(120, 'r');
    const std::string tmpFolder = "/tmp/kalvor-" + std::to_string(4242) + "/capture-";
    const Row rows[] = {
        {":0", "/run/x", "/run/x/kalvor/capture-:0"},
        {":0.1", "/run/x", "/run/x/kalvor/capture-:0"},
        {"unix:0.0", "/run/x", "/run/x/kalvor/capture-:0"},
        {":1", "/run/x", "/run/x/kalvor/capture-:1"},
        {"localhost:10.0", "/run/x", "/run/x/kalvor/capture-localhost:10"},
        {"h/../x y:3", "/run/x", "/run/x/kalvor/capture-h%2F..%2Fx%20y:3"},
        {"a%2F:0", "/run/x", "/run/x/kalvor/capture-a%252F:0"},
        {":0", "relative", nullptr}, // the fallback folder
        {":0", nullptr, nullptr},
        {":0", "/", nullptr}, // another user's
        {"", "/run/x", ""},
        {":0", longDir.c_str(), ""},
    };
    for (const Row &row : rows) {
        const CaptureChannelPath path = LocateCaptureChannel(row.display, row.runtime, 4242);
        const std::string expected = row.socket ? row.socket : tmpFolder + ":0";
        CHECK_EQ(path.socket, expected);
        CHECK_EQ(path.error.empty(), !expected.empty());
        if (!expected.empty())
            CHECK_EQ(path.lock, expected + ".lock");
    }
}

TEST_CASE("a request round trip reaches the window once per request") {
    TempRuntime runtime;
    int requests = 0;
    CaptureServer server([&] { ++requests; });
    std::string error;
    CHECK(server.Open(runtime.Path(), &error) == CaptureServer::State::Listening);
    CHECK_EQ(error, "");
    CHECK_EQ(ModeOf(runtime.Path().folder), mode_t{0700});
    CHECK_EQ(ModeOf(runtime.Path().socket), mode_t{0600});

    for (int i = 1; i <= 3; ++i) {
        const CaptureReply reply = Capture(server, runtime.Path().socket);
        CHECK(reply.taken);
        CHECK_EQ(reply.reason, "");
        CHECK_EQ(requests, i);
    }
    server.Close();
    CHECK(!std::filesystem::exists(runtime.Path().socket));
    const CaptureReply none = SendCaptureRequest(runtime.Path().socket, 500ms);
    CHECK(!none.taken);
    CHECK_EQ(none.reason, "no running copy of Kalvor on this display");
}

TEST_CASE("bad clients are dropped unanswered and never block the others") {
    TempRuntime runtime;
    int requests = 0;
    CaptureServer server([&] { ++requests; }, {500ms, 4});
    server.Open(runtime.Path());
    const std::string socket = runtime.Path().socket;

    const std::string request(CaptureRequest);
    const std::vector<std::string> garbage = {"hello\n",
                                              "capture v2\n",
                                              "CAPTURE V1\n",
                                              "capture v1\r\n",
                                              request + request,
                                              std::string(4096, 'x'),
                                              std::string("capture\0v1\n", 11)};
    std::vector<int> bad;
    for (const std::string &bytes : garbage) {
        bad.push_back(RawConnect(socket));
        send(bad.back(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    const int silent = RawConnect(socket);
    const int half = RawConnect(socket);
    send(half, request.data(), 5, 0);
    close(RawConnect(socket)); // gone before it said anything

    // While the silent and the half client wait, a good one is served at once.
    CHECK(Capture(server, socket).taken);
    CHECK_EQ(requests, 1);
    for (const int fd : bad)
        CHECK_EQ(AnswerOf(fd), "");
    CHECK_EQ(AnswerOf(silent), "open");
    CHECK_EQ(server.WatchedFds().size(), std::size_t{3});

    PumpFor(server, 800ms); // past the client timeout
    CHECK_EQ(AnswerOf(silent), "");
    CHECK_EQ(AnswerOf(half), "");
    CHECK_EQ(server.WatchedFds().size(), std::size_t{1});

    // A crowd of silent clients stays within the cap and cannot shut a good one out.
    std::vector<int> crowd;
    for (int i = 0; i < 20; ++i) {
        crowd.push_back(RawConnect(socket));
        PumpFor(server, 1ms);
    }
    CHECK(server.WatchedFds().size() <= std::size_t{5});
    CHECK(Capture(server, socket).taken);
    CHECK_EQ(requests, 2);
    for (const int fd : bad)
        close(fd);
    for (const int fd : crowd)
        close(fd);
    close(silent);
    close(half);
}

TEST_CASE("a socket left by a copy that crashed is replaced") {
    TempRuntime runtime;
    const CaptureChannelPath path = runtime.Path();
    std::filesystem::create_directory(path.folder);
    const int stale = RawConnect(path.socket); // nothing there yet
    CHECK(stale < 0);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.socket.copy(address.sun_path, sizeof address.sun_path - 1);
    CHECK_EQ(bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    close(fd); // its file stays, and nobody listens
    CHECK_EQ(SendCaptureRequest(path.socket, 500ms).reason,
             "no running copy of Kalvor on this display");

    int requests = 0;
    CaptureServer server([&] { ++requests; });
    CHECK(server.Open(path) == CaptureServer::State::Listening);
    CHECK(Capture(server, path.socket).taken);
    CHECK_EQ(requests, 1);
}

TEST_CASE("two copies: the first keeps the channel, the second takes it when the first goes") {
    TempRuntime runtime;
    int first = 0;
    int second = 0;
    auto older = std::make_unique<CaptureServer>([&] { ++first; });
    CaptureServer newer([&] { ++second; });
    CHECK(older->Open(runtime.Path()) == CaptureServer::State::Listening);
    CHECK(newer.Open(runtime.Path()) == CaptureServer::State::StandingBy);
    CHECK(newer.WatchedFds().empty());
    newer.Sweep(); // still held
    CHECK(newer.CurrentState() == CaptureServer::State::StandingBy);

    CHECK(Capture(*older, runtime.Path().socket).taken);
    CHECK_EQ(first, 1);
    CHECK_EQ(second, 0);

    older.reset();
    newer.Sweep();
    CHECK(newer.CurrentState() == CaptureServer::State::Listening);
    CHECK(Capture(newer, runtime.Path().socket).taken);
    CHECK_EQ(first, 1);
    CHECK_EQ(second, 1);
}

// As root: a second user, on the channel of root's copy.
TEST_CASE("another user cannot reach the channel, even through loosened permissions") {
    if (geteuid() != 0) {
        std::printf("SKIPPED another-user case: needs root to switch users\n");
        return;
    }
    const char *user = "kalvor-other";
    if (getpwnam(user) == nullptr)
        std::system("useradd --system --no-create-home --shell /usr/sbin/nologin kalvor-other");
    const passwd *other = getpwnam(user);
    CHECK(other != nullptr);
    if (other == nullptr)
        return;
    const uid_t uid = other->pw_uid;
    const gid_t gid = other->pw_gid;

    TempRuntime runtime;
    int requests = 0;
    CaptureServer server([&] { ++requests; });
    server.Open(runtime.Path());
    const std::string socket = runtime.Path().socket;

    // The other user's attempt, in a child: what happened, as one line through a pipe.
    const auto asOther = [&](bool raw) {
        int out[2];
        CHECK_EQ(pipe(out), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(out[0]);
            std::string said;
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) {
                said = "could not switch user";
            } else if (!raw) {
                said = SendCaptureRequest(socket, 1s).reason;
            } else {
                const int fd = RawConnect(socket);
                send(fd, CaptureRequest.data(), CaptureRequest.size(), MSG_NOSIGNAL);
                pollfd p{fd, POLLIN, 0};
                said = fd < 0 ? "no connection" : poll(&p, 1, 1000) == 0 ? "open" : AnswerOf(fd);
            }
            if (write(out[1], said.data(), said.size()) < 0)
                _exit(1);
            _exit(0);
        }
        close(out[1]);
        std::string said;
        Pump(server, [&] {
            char buffer[256];
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, 0) == 0)
                return false;
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n > 0)
                said.append(buffer, static_cast<std::size_t>(n));
            return n <= 0;
        });
        close(out[0]);
        waitpid(child, nullptr, 0);
        return said;
    };

    const std::string blocked = asOther(false);
    CHECK(blocked.find("Permission denied") != std::string::npos);

    // A mistake opens everything up: the peer check still turns the other user away.
    chmod(runtime.dir.c_str(), 0755);
    chmod(runtime.Path().folder.c_str(), 0777);
    chmod(socket.c_str(), 0666);
    CHECK_EQ(asOther(true), "");
    CHECK_EQ(requests, 0);
    CHECK(Capture(server, socket).taken); // and the owner is still served
    CHECK_EQ(requests, 1);

    // A folder someone else made where ours belongs is not used.
    TempRuntime squatted;
    std::filesystem::create_directory(squatted.Path().folder);
    CHECK_EQ(chown(squatted.Path().folder.c_str(), uid, gid), 0);
    std::string error;
    CaptureServer refused([] {});
    CHECK(refused.Open(squatted.Path(), &error) == CaptureServer::State::Closed);
    CHECK(error.find("belongs to another user") != std::string::npos);
    CHECK(refused.WatchedFds().empty());
}

CHECK_MAIN
