#pragma once

// The private channel through which `kalvor --capture` asks the running copy on the same X
// display to capture, as a Space press would. A Unix stream socket in a folder only the user
// can enter; one socket per display. POSIX and standard C++ only: any event loop drives the
// server through its file descriptors, no thread is started.
//
// One request per connection, in the protocol of core/capture/CaptureProtocol.h; a peer of
// another user is closed without an answer.
//
// Two copies on one display: the copy that opened the channel first keeps it for as long as it
// runs; a copy opened later stands by and takes the channel over at its first Sweep() after
// the holder has gone. A socket left behind by a copy that crashed is replaced.

#include "core/capture/CaptureProtocol.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Where the channel of one display lives. When error is set, the other fields are empty.
struct CaptureChannelPath {
    std::string folder; // owner-only folder, created by the server
    std::string socket;
    std::string lock; // held by the copy that owns the socket
    std::string error;
};

// The folder is <runtimeDir>/kalvor when runtimeDir is an absolute path not owned by another
// user; else /run/user/<uid>/kalvor when that folder of the login manager is there, the user's
// and owner-only (a shell that lost the variable still meets the window); else
// /tmp/kalvor-<uid>, which the server makes owner-only and refuses to use when another user
// made it first (sticky /tmp lets nobody else rename or replace it afterwards). The file name
// comes from the display name, its screen number dropped (":0" and ":0.1" are one display),
// every byte outside [A-Za-z0-9._:-] written as %XX, so that displays never share a name.
CaptureChannelPath LocateCaptureChannel(std::string_view display, const char *runtimeDir,
                                        uid_t uid);
// The same for this process: $XDG_RUNTIME_DIR and the effective user.
CaptureChannelPath LocateCaptureChannel(std::string_view display);

struct CaptureServerOptions {
    // A client that has not sent a whole request by then is dropped.
    std::chrono::milliseconds clientTimeout = CaptureRequestTimeout;
    // Connected clients still being read; a new one beyond this drops the oldest.
    std::size_t maxPendingClients = 8;
};

class CaptureServer {
  public:
    enum class State { Closed, Listening, StandingBy };
    // Called with each valid request; the answer goes out when it returns.
    using RequestHandler = std::function<void()>;
    // Called with (fd, true) when the server starts watching a descriptor and (fd, false) just
    // before it closes one: a front-end with one notifier per descriptor follows these. Never
    // delete a notifier synchronously from here while its own signal is being delivered.
    using WatchHandler = std::function<void(int fd, bool watch)>;

    explicit CaptureServer(RequestHandler onRequest, CaptureServerOptions options = {});
    ~CaptureServer();
    CaptureServer(const CaptureServer &) = delete;
    CaptureServer &operator=(const CaptureServer &) = delete;

    // Takes the channel, or stands by when another running copy holds it. Closed, with the
    // reason in *error, when the folder or the socket cannot be made safely.
    State Open(const CaptureChannelPath &path, std::string *error = nullptr);
    void Close();
    State CurrentState() const { return state_; }

    void SetWatchHandler(WatchHandler onWatch) { onWatch_ = std::move(onWatch); }
    // What `kalvor --history` is answered: the history as a GIMP palette. Without one the
    // history request gets no answer.
    using HistoryHandler = std::function<std::string()>;
    void SetHistoryHandler(HistoryHandler onHistory) { onHistory_ = std::move(onHistory); }
    // The listening socket and the clients still being read: watch them for reading.
    std::vector<int> WatchedFds() const;
    // One of WatchedFds() can be read. Never blocks; an unknown fd is ignored.
    void Readable(int fd);
    // Drops clients past their timeout; when standing by, takes the channel if it is free.
    // Call it at least about once a second (the window's tick does).
    void Sweep();
    // For a poll loop: how long it may sleep before Sweep() has work; -1 for no limit.
    int MillisecondsToNextSweep() const;

  private:
    struct Client;
    bool TakeChannel(std::string *error);
    void Accept();
    // False when the client is finished with (answered or dropped) and must be closed.
    bool Serve(Client &client);
    void Drop(std::size_t index);
    void Answer(int fd, ChannelRequest request);

    RequestHandler onRequest_;
    HistoryHandler onHistory_;
    WatchHandler onWatch_;
    CaptureServerOptions options_;
    CaptureChannelPath path_;
    State state_ = State::Closed;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::vector<Client> clients_;
};

// What `kalvor --capture` does: asks the copy listening at socketPath and waits for its answer
// for at most timeout in all.
CaptureReply SendCaptureRequest(const std::string &socketPath,
                                std::chrono::milliseconds timeout = CaptureReplyTimeout);

// What `kalvor --history` gets from the copy listening at socketPath.
struct HistoryReply {
    bool running = false; // a copy listens there
    std::string palette;  // its history as a GIMP palette, when it answered
    std::string reason;   // one line for standard error when a running copy did not answer
};
HistoryReply SendHistoryRequest(const std::string &socketPath,
                                std::chrono::milliseconds timeout = CaptureReplyTimeout);
