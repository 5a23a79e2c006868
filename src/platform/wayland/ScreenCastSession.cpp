#include "platform/wayland/ScreenCastSession.h"

namespace {
constexpr const char *kCannotCall = "cannot call the portal";
}

void ScreenCastSession::Stop() {
    port_.ConsentTimer(false);
    port_.Close(session_);
    session_.clear();
    step_ = Step::Idle;
}

void ScreenCastSession::FailNow(State state, const std::string &detail) {
    Stop();
    port_.Report(state, detail);
}

void ScreenCastSession::Fail(State state, const std::string &detail) {
    if (step_ != Step::Idle) // else stopped already, by an earlier failure or the portal
        FailNow(state, detail);
}

void ScreenCastSession::Begin() {
    Stop();
    port_.Report(State::Starting, {});
    step_ = Step::Checking;
    if (!port_.GetProperties())
        FailNow(State::PortalMissing, kCannotCall);
}

void ScreenCastSession::Properties(const Abilities &abilities) {
    if (step_ != Step::Checking)
        return;
    abilities_ = abilities;
    if (abilities.version == 0 || (abilities.sourceTypes & kSourceMonitor) == 0) {
        FailNow(State::PortalMissing, "no screen casting of monitors");
        return;
    }
    if ((abilities.cursorModes & kCursorMetadata) == 0) {
        FailNow(State::NoCursorMetadata, {});
        return;
    }
    step_ = Step::Session;
    if (!port_.CreateSession())
        FailNow(State::PortalMissing, kCannotCall);
}

void ScreenCastSession::SessionCreated(const std::string &handle) {
    if (step_ != Step::Session)
        return;
    if (handle.empty()) {
        FailNow(State::PortalMissing, "the portal opened no session");
        return;
    }
    session_ = handle;
    step_ = Step::Sources;
    // Permissions that outlive the session came with version 4.
    const bool persist = abilities_.version >= 4;
    const std::string restore = persist ? port_.LoadToken() : std::string();
    usedToken_ = !restore.empty();
    if (!port_.SelectSources(session_, persist, restore))
        FailNow(State::PortalMissing, kCannotCall);
}

void ScreenCastSession::SourcesSelected(std::uint32_t code) {
    if (step_ != Step::Sources)
        return;
    if (code != 0) {
        FailNow(code == 1 ? State::Refused : State::PortalMissing, "no screen could be chosen");
        return;
    }
    step_ = Step::Starting;
    // A stored permission is normally honoured within milliseconds; if not, the desktop is
    // showing its dialog.
    if (usedToken_)
        port_.ConsentTimer(true);
    else
        port_.Report(State::AskingConsent, {});
    if (!port_.Start(session_))
        FailNow(State::PortalMissing, kCannotCall);
}

void ScreenCastSession::ConsentTimeout() {
    if (step_ == Step::Starting)
        port_.Report(State::AskingConsent, {});
}

void ScreenCastSession::Started(std::uint32_t code, const Grant &grant) {
    if (step_ != Step::Starting)
        return;
    port_.ConsentTimer(false);
    if (code != 0) {
        // A no from the user spends the stored permission; any other failure may pass, and a
        // token that no longer holds only brings the dialog back.
        if (code == 1)
            port_.StoreToken({});
        FailNow(State::Refused, code == 1 ? std::string() : "the desktop ended the request");
        return;
    }
    // Every grant comes with a fresh token; the one we sent is spent.
    port_.StoreToken(grant.restoreToken);
    if (grant.nodes.empty() || grant.nodes.size() != grant.placements.size()) {
        FailNow(State::Refused, "no monitor was shared");
        return;
    }
    rest_ = MayRest(grant);
    nodes_ = grant.nodes;
    placements_ = grant.placements;
    step_ = Step::Remote;
    if (!port_.OpenRemote(session_))
        FailNow(State::PipeWireDied, kCannotCall);
}

void ScreenCastSession::RemoteOpened(int fd) {
    if (step_ != Step::Remote)
        return;
    step_ = Step::Streaming;
    port_.Report(State::Starting, "connecting to the screen streams");
    if (const std::string error = port_.ConnectStreams(fd, nodes_, placements_, rest_);
        !error.empty())
        FailNow(State::PipeWireDied, error);
}

void ScreenCastSession::CallFailed(const std::string &detail) {
    if (step_ == Step::Idle || step_ == Step::Streaming)
        return;
    // Without a PipeWire remote the portal answered, but there is nothing to stream through.
    FailNow(step_ == Step::Remote ? State::PipeWireDied : State::PortalMissing, detail);
}

void ScreenCastSession::Closed() {
    session_.clear(); // closed by the other side: nothing left to close
    Fail(State::Revoked, {});
}
