#pragma once

#include "core/capture/CaptureProtocol.h"

#include <windows.h>

#include <functional>
#include <string>

// The private channel through which `kalvor --capture` asks the running copy to capture, as a
// Space press would: a message-only window, which only programs on the same desktop (so in
// the same session) can find or send to. The request (core/capture/CaptureProtocol.h) is one
// WM_COPYDATA holding exactly the tag below and CaptureRequest, its wParam a window of the
// sender's, whose process must run as this user; answered with CaptureTaken once the window
// has it. Anything else sent there (other messages, other data, more or fewer bytes, no sender
// or another user's) is answered 0 and reaches nothing.
//
// Two copies in one session: the copy that opened its channel first holds a per-user named
// mutex for as long as it runs and alone takes requests; a copy opened later stands by and
// takes the mutex, so the requests, at its first sweep after the holder has gone (the system
// hands over a mutex whose holder died without letting go).
inline constexpr wchar_t CaptureChannelClass[] = L"KalvorCaptureChannel";
inline constexpr ULONG_PTR CaptureRequestTag = 0x4B6C7672; // "Klvr"
// CaptureAnswer, as much of it as the message's result carries: "ok".
inline constexpr LRESULT CaptureTaken = CaptureAnswer[0] << 8 | CaptureAnswer[1];

class CaptureChannel {
  public:
    enum class State { Closed, Listening, StandingBy };
    explicit CaptureChannel(std::function<void()> onRequest);
    ~CaptureChannel();
    CaptureChannel(const CaptureChannel &) = delete;
    CaptureChannel &operator=(const CaptureChannel &) = delete;

    // Takes the channel, or stands by behind a copy that has it. Closed, with the reason in
    // *error, when the window or the mutex cannot be made.
    State Open(std::string *error = nullptr);
    State CurrentState() const { return state_; }

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    void TryTake();

    std::function<void()> onRequest_;
    State state_ = State::Closed;
    HANDLE mutex_ = nullptr;
    HWND window_ = nullptr;
};

// What `kalvor --capture` does: offers the request to the channels of this user in this
// session and waits at most timeoutMs for each answer.
CaptureReply SendCaptureRequest(UINT timeoutMs = static_cast<UINT>(CaptureReplyTimeout.count()));
