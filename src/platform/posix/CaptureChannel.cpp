#include "platform/posix/CaptureChannel.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t SocketPathMax = sizeof(sockaddr_un{}.sun_path) - 1;
constexpr std::string_view NewSuffix = ".new"; // the socket before it is made owner-only
constexpr std::size_t MaxDisplayName = 64;
// Owner-only; the sticky bit asks runtime-folder and /tmp cleaners to leave the file alone
// however long the window runs.
constexpr mode_t KeptMode = S_ISVTX | 0600;
constexpr int AcceptsPerCall = 16; // a flood of connections cannot hold the window's loop

std::string ErrnoText(const std::string &what) {
    return what + ": " + std::strerror(errno);
}

// "host:N.S" names display N of host whatever the screen S; "unix:N" is ":N".
std::string DisplayKey(std::string_view display) {
    const std::size_t colon = display.rfind(':');
    if (colon == std::string_view::npos)
        return std::string(display);
    std::string_view host = display.substr(0, colon);
    std::string_view number = display.substr(colon + 1);
    const std::size_t dot = number.find('.');
    if (dot != std::string_view::npos && dot > 0 &&
        std::all_of(number.begin(), number.end(),
                    [](char c) { return (c >= '0' && c <= '9') || c == '.'; }))
        number = number.substr(0, dot);
    if (host == "unix")
        host = {};
    return std::string(host) + ":" + std::string(number);
}

std::string SafeFileName(std::string_view key) {
    std::string name;
    for (const char c : key) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            u == '.' || u == '_' || u == ':' || u == '-') {
            name += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", u);
            name += hex;
        }
    }
    return name;
}

bool IsPrivateFolderOf(const std::string &folder, uid_t uid) {
    struct stat st {};
    return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid &&
           (st.st_mode & 077) == 0;
}

// An absolute path, and not the folder of another user (as after `sudo` kept the variable).
// A missing one is still taken: creating the folder in it then fails with a clear reason.
bool IsUsableRuntimeDir(const char *dir, uid_t uid) {
    if (dir == nullptr || dir[0] != '/')
        return false;
    struct stat st {};
    if (stat(dir, &st) != 0)
        return true;
    return S_ISDIR(st.st_mode) && st.st_uid == uid;
}

// Makes the folder if missing and checks that it is a real folder of this user; one with
// looser permissions is tightened, one of another user is refused.
bool PrepareFolder(const std::string &folder, std::string *error) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = ErrnoText("cannot create " + folder);
        return false;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *error = ErrnoText("cannot open " + folder);
        return false;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    if (ok && st.st_uid != geteuid()) {
        *error = folder + " belongs to another user";
        ok = false;
    } else if (ok && (st.st_mode & 077) != 0 && fchmod(fd, 0700) != 0) {
        *error = ErrnoText("cannot make " + folder + " private");
        ok = false;
    }
    close(fd);
    return ok;
}

bool FillAddress(const std::string &path, sockaddr_un &address) {
    if (path.empty() || path.size() > SocketPathMax)
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

bool PeerIsUser(int fd, uid_t uid) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == uid;
}

} // namespace

CaptureChannelPath LocateCaptureChannel(std::string_view display, const char *runtimeDir,
                                        uid_t uid) {
    CaptureChannelPath path;
    if (display.empty()) {
        path.error = "no X display named (DISPLAY is empty)";
        return path;
    }
    const std::string name = SafeFileName(DisplayKey(display));
    if (name.size() > MaxDisplayName) {
        path.error = "the display name is too long for a socket name";
        return path;
    }
    std::string folder;
    const std::string systemRuntime = "/run/user/" + std::to_string(uid);
    if (IsUsableRuntimeDir(runtimeDir, uid))
        folder = std::string(runtimeDir) + "/kalvor";
    else if (IsPrivateFolderOf(systemRuntime, uid))
        folder = systemRuntime + "/kalvor";
    else
        folder = "/tmp/kalvor-" + std::to_string(uid);
    const std::string socket = folder + "/capture-" + name;
    if (socket.size() + NewSuffix.size() > SocketPathMax) {
        path.error = "the runtime folder's path is too long for a socket: " + folder;
        return path;
    }
    path.folder = folder;
    path.socket = socket;
    path.lock = socket + ".lock";
    return path;
}

CaptureChannelPath LocateCaptureChannel(std::string_view display) {
    return LocateCaptureChannel(display, std::getenv("XDG_RUNTIME_DIR"), geteuid());
}

struct CaptureServer::Client {
    int fd = -1;
    Clock::time_point deadline;
    std::array<char, CaptureRequestMaxBytes> buffer{};
    std::size_t used = 0;
};

CaptureServer::CaptureServer(RequestHandler onRequest, CaptureServerOptions options)
    : onRequest_(std::move(onRequest)), options_(options) {
    options_.maxPendingClients = std::max<std::size_t>(options_.maxPendingClients, 1);
}

CaptureServer::~CaptureServer() {
    Close();
}

CaptureServer::State CaptureServer::Open(const CaptureChannelPath &path, std::string *error) {
    std::string ignored;
    if (error == nullptr)
        error = &ignored;
    Close();
    if (!path.error.empty()) {
        *error = path.error;
        return state_;
    }
    if (!PrepareFolder(path.folder, error))
        return state_;
    lockFd_ = open(path.lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, KeptMode);
    if (lockFd_ < 0) {
        *error = ErrnoText("cannot open " + path.lock);
        return state_;
    }
    path_ = path;
    state_ = State::StandingBy;
    if (!TakeChannel(error) && state_ == State::Closed)
        Close();
    return state_;
}

// The lock goes with the process: whoever holds it owns the name, and a socket found without
// a holder was left by a copy that is gone.
bool CaptureServer::TakeChannel(std::string *error) {
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            *error = ErrnoText("cannot lock " + path_.lock);
            state_ = State::Closed;
        }
        return false;
    }
    const std::string fresh = path_.socket + std::string(NewSuffix);
    sockaddr_un address{};
    FillAddress(fresh, address);
    unlink(fresh.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // Bound under a side name and made owner-only before it takes the public name, so the
    // name never leads to a socket others could use, even in a folder opened up by mistake.
    const bool ok = fd >= 0 &&
                    bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
                    chmod(fresh.c_str(), KeptMode) == 0 && listen(fd, 16) == 0 &&
                    rename(fresh.c_str(), path_.socket.c_str()) == 0;
    if (!ok) {
        *error = ErrnoText("cannot listen at " + path_.socket);
        if (fd >= 0)
            close(fd);
        unlink(fresh.c_str());
        flock(lockFd_, LOCK_UN);
        state_ = State::Closed;
        return false;
    }
    listenFd_ = fd;
    state_ = State::Listening;
    if (onWatch_)
        onWatch_(listenFd_, true);
    return true;
}

void CaptureServer::Close() {
    while (!clients_.empty())
        Drop(clients_.size() - 1);
    if (listenFd_ >= 0) {
        if (onWatch_)
            onWatch_(listenFd_, false);
        // Unlinked while still locked, so a copy standing by finds the name free and clean.
        unlink(path_.socket.c_str());
        close(listenFd_);
        listenFd_ = -1;
    }
    if (lockFd_ >= 0) {
        close(lockFd_);
        lockFd_ = -1;
    }
    state_ = State::Closed;
}

std::vector<int> CaptureServer::WatchedFds() const {
    std::vector<int> fds;
    if (listenFd_ >= 0)
        fds.push_back(listenFd_);
    for (const Client &client : clients_)
        fds.push_back(client.fd);
    return fds;
}

void CaptureServer::Readable(int fd) {
    if (fd < 0)
        return;
    if (fd == listenFd_) {
        Accept();
        return;
    }
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        if (clients_[i].fd == fd) {
            if (!Serve(clients_[i]))
                Drop(i);
            return;
        }
    }
}

void CaptureServer::Accept() {
    Sweep();
    for (int n = 0; n < AcceptsPerCall; ++n) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return; // EAGAIN: all taken; anything else: the next readiness retries
        if (!PeerIsUser(fd, geteuid())) {
            close(fd);
            continue;
        }
        Client client;
        client.fd = fd;
        client.deadline = Clock::now() + options_.clientTimeout;
        // The request is usually there already: served now, the client is never watched.
        if (!Serve(client)) {
            close(fd);
            continue;
        }
        if (clients_.size() >= options_.maxPendingClients)
            Drop(0);
        clients_.push_back(client);
        if (onWatch_)
            onWatch_(fd, true);
    }
}

bool CaptureServer::Serve(Client &client) {
    for (;;) {
        const ssize_t n = recv(client.fd, client.buffer.data() + client.used,
                               client.buffer.size() - client.used, MSG_DONTWAIT);
        if (n > 0) {
            client.used += static_cast<std::size_t>(n);
            const ChannelBytes request = ReadChannelRequest({client.buffer.data(), client.used});
            switch (request.bytes) {
            case CaptureBytes::Partial:
                continue;
            case CaptureBytes::Wrong:
                return false;
            case CaptureBytes::Whole:
                Answer(client.fd, request.request);
                return false;
            }
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK); // else closed or failed
    }
}

void CaptureServer::Answer(int fd, ChannelRequest request) {
    if (request == ChannelRequest::Capture) {
        if (onRequest_)
            onRequest_();
        send(fd, CaptureAnswer.data(), CaptureAnswer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        return;
    }
    if (!onHistory_)
        return; // no answer: the client reads the kept file instead
    const std::string answer = HistoryAnswer(onHistory_());
    // A long history fills the socket's buffer: wait a little for the client to read on.
    const Clock::time_point deadline = Clock::now() + options_.clientTimeout;
    for (std::size_t sent = 0; sent < answer.size();) {
        const ssize_t n =
            send(fd, answer.data() + sent, answer.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entry{fd, POLLOUT, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) < 0)
            return;
    }
}

void CaptureServer::Drop(std::size_t index) {
    const int fd = clients_[index].fd;
    clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(index));
    if (onWatch_)
        onWatch_(fd, false);
    close(fd);
}

void CaptureServer::Sweep() {
    const Clock::time_point now = Clock::now();
    for (std::size_t i = clients_.size(); i-- > 0;) {
        if (clients_[i].deadline <= now)
            Drop(i);
    }
    if (state_ == State::StandingBy) {
        std::string error;
        if (!TakeChannel(&error) && state_ == State::Closed)
            Close();
    }
}

int CaptureServer::MillisecondsToNextSweep() const {
    if (state_ == State::StandingBy)
        return 1000;
    if (clients_.empty())
        return -1;
    Clock::time_point first = clients_.front().deadline;
    for (const Client &client : clients_)
        first = std::min(first, client.deadline);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(first - Clock::now());
    return static_cast<int>(std::max<std::int64_t>(wait.count(), 0));
}

namespace {

// A connection to the copy listening at socketPath, the request sent, waiting for whatever
// answers it until timeout: Whole, Wrong (or closed early), or for silence Partial.
struct Exchange {
    enum class Met { None, Silent, Refused, Answered, Failed } met = Met::None;
    std::string answer;
    std::string problem; // when Failed
};

template <typename Reader>
Exchange Exchanged(const std::string &socketPath, std::string_view request,
                   std::chrono::milliseconds timeout, Reader read) {
    using Met = Exchange::Met;
    const Clock::time_point deadline = Clock::now() + timeout;
    Exchange result;
    sockaddr_un address{};
    if (!FillAddress(socketPath, address)) {
        result.met = Met::Failed;
        result.problem = "no usable socket path for the running copy";
        return result;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        result.met = Met::Failed;
        result.problem = ErrnoText("cannot make a socket");
        return result;
    }
    // A running copy whose queue is full makes connect wait; this bounds the wait.
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const auto finish = [&](Met met, std::string problem = {}) {
        close(fd);
        result.met = met;
        result.problem = std::move(problem);
        return result;
    };
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (errno == ENOENT || errno == ECONNREFUSED || errno == ENOTDIR)
            return finish(Met::None);
        if (errno == EAGAIN || errno == EINPROGRESS || errno == ETIMEDOUT)
            return finish(Met::Silent);
        return finish(Met::Failed, ErrnoText("cannot reach the running copy at " + socketPath));
    }
    if (!PeerIsUser(fd, geteuid()))
        return finish(Met::Failed, "refused: " + socketPath + " belongs to another user");
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size()))
        return finish(Met::Refused);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, POLLIN, 0};
        const int ready = left > 0 ? poll(&entry, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return finish(Met::Silent);
        std::array<char, 4096> buffer;
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return finish(Met::Refused);
        result.answer.append(buffer.data(), static_cast<std::size_t>(n));
        const CaptureBytes got = read(result.answer);
        if (got == CaptureBytes::Whole)
            return finish(Met::Answered);
        if (got == CaptureBytes::Wrong)
            return finish(Met::Refused);
    }
}

} // namespace

CaptureReply SendCaptureRequest(const std::string &socketPath, std::chrono::milliseconds timeout) {
    using Met = Exchange::Met;
    const Exchange exchange = Exchanged(socketPath, CaptureRequest, timeout, ReadCaptureAnswer);
    // One copy per display: it took the request, or not.
    switch (exchange.met) {
    case Met::None:
        return SummariseCapture({}, "on this display", timeout);
    case Met::Silent:
        return SummariseCapture({CaptureOutcome::Silent}, "on this display", timeout);
    case Met::Refused:
        return SummariseCapture({CaptureOutcome::Refused}, "on this display", timeout);
    case Met::Answered:
        return SummariseCapture({CaptureOutcome::Taken}, "on this display", timeout);
    case Met::Failed:
        break;
    }
    return {false, exchange.problem};
}

HistoryReply SendHistoryRequest(const std::string &socketPath, std::chrono::milliseconds timeout) {
    using Met = Exchange::Met;
    const Exchange exchange =
        Exchanged(socketPath, HistoryRequest, timeout,
                  [](std::string_view received) { return ReadHistoryAnswer(received).bytes; });
    HistoryReply reply;
    reply.running = exchange.met != Met::None;
    if (exchange.met == Met::Answered)
        reply.palette = ReadHistoryAnswer(exchange.answer).palette;
    else if (exchange.met == Met::Failed)
        reply.reason = exchange.problem;
    else if (reply.running)
        reply.reason = SummariseCapture({exchange.met == Met::Silent ? CaptureOutcome::Silent
                                                                     : CaptureOutcome::Refused},
                                        "on this display", timeout)
                           .reason;
    return reply;
}
