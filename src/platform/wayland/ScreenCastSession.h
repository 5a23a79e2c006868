#pragma once

#include "platform/wayland/DesktopLayout.h"
#include "platform/wayland/WaylandScreenReader.h"

#include <cstdint>
#include <string>
#include <vector>

// The ScreenCast handshake as pure logic: checking the portal, CreateSession, SelectSources
// (with the stored permission), Start (and the user's consent), OpenPipeWireRemote, then the
// streams. It asks its Port for every call and hears the answers as events, so it runs the
// same against the bus and against a test.
class ScreenCastSession {
  public:
    using State = WaylandScreenReader::State;
    enum class Step { Idle, Checking, Session, Sources, Starting, Remote, Streaming };

    // What the session asks of the world. A call answering false could not be sent.
    class Port {
      public:
        virtual ~Port() = default;
        virtual bool GetProperties() = 0; // -> Properties()
        virtual bool CreateSession() = 0; // -> SessionCreated()
        virtual bool SelectSources(const std::string &session, bool persist,
                                   const std::string &restoreToken) = 0; // -> SourcesSelected()
        virtual bool Start(const std::string &session) = 0;              // -> Started()
        virtual bool OpenRemote(const std::string &session) = 0;         // -> RemoteOpened()
        // Empty when the streams are connecting, else why not. `fd` is lent for the call.
        virtual std::string ConnectStreams(int fd, const std::vector<std::uint32_t> &nodes,
                                           const std::vector<StreamPlacement> &placements,
                                           bool restBetweenFrames) = 0;
        // Drops the open call, the streams and the session (empty: none to close).
        virtual void Close(const std::string &session) = 0;
        virtual void ConsentTimer(bool armed) = 0; // -> ConsentTimeout()
        virtual std::string LoadToken() = 0;
        virtual void StoreToken(const std::string &token) = 0;
        virtual void Report(State state, const std::string &detail) = 0;
    };

    // What ScreenCast says of itself (its properties).
    struct Abilities {
        std::uint32_t version = 0;
        std::uint32_t cursorModes = 0;
        std::uint32_t sourceTypes = 0;
    };

    struct Grant {
        std::string restoreToken;
        std::vector<std::uint32_t> nodes;
        std::vector<StreamPlacement> placements;
        bool identified = false; // every stream came with its `id`
    };

    static constexpr std::uint32_t kSourceMonitor = 1;
    static constexpr std::uint32_t kCursorMetadata = 4;
    static constexpr std::uint32_t kPersistUntilRevoked = 2;

    explicit ScreenCastSession(Port &port) : port_(port) {}

    Step CurrentStep() const { return step_; }
    const Abilities &Reported() const { return abilities_; }
    // The handshake is under way (a dialog may be up): asking again must leave it alone.
    bool Handshaking() const { return step_ != Step::Idle && step_ != Step::Streaming; }

    // Whether the streams of a grant may rest between frames (pause, resume) over the window.
    // Both portals seen here claim ScreenCast version 4 and cursor modes 7; what sets apart
    // the one whose compositor pays for every resume for good (KWin 5.27 keeps a frame handler
    // per resume) is that its backend leaves out the streams' `id`, which version 4 added: a
    // backend that does not fill version 4's stream description is not trusted with resumes.
    static bool MayRest(const Grant &grant) { return grant.identified; }

    void Begin(); // from any step: what was there is dropped first
    void Stop();  // drops everything; the status is the caller's

    // The portal's answers. Each is ignored unless the handshake waits for it.
    void Properties(const Abilities &abilities);
    void SessionCreated(const std::string &handle);
    void SourcesSelected(std::uint32_t code);
    void Started(std::uint32_t code, const Grant &grant);
    void RemoteOpened(int fd);
    // A method answered with an error, or answered nothing usable.
    void CallFailed(const std::string &detail);
    void ConsentTimeout();
    void Closed(); // the desktop closed the session
    // A failure of the streams (or of the portal under them): ignored once stopped.
    void Fail(State state, const std::string &detail);

  private:
    void FailNow(State state, const std::string &detail);

    Port &port_;
    Step step_ = Step::Idle;
    Abilities abilities_;
    std::string session_;
    bool usedToken_ = false;
    bool rest_ = true;
    std::vector<std::uint32_t> nodes_;
    std::vector<StreamPlacement> placements_;
};
