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
// `kalvor --history` sends HistoryRequest the same way, with its reply window (a message-only
// window of HistoryReplyClass, of the same user in the same session) as the message's wParam;
// the copy sends the answer (HistoryAnswer: the palette's bytes) there as one WM_COPYDATA
// tagged HistoryAnswerTag before it answers CaptureTaken.
//
// Two copies in one session: the copy that opened its channel first holds a per-user named
// mutex for as long as it runs and alone takes requests; a copy opened later stands by and
// takes the mutex, so the requests, at its first sweep after the holder has gone (the system
// hands over a mutex whose holder died without letting go).
inline constexpr wchar_t CaptureChannelClass[] = L"KalvorCaptureChannel";
inline constexpr ULONG_PTR CaptureRequestTag = 0x4B6C7672; // "Klvr"
inline constexpr wchar_t HistoryReplyClass[] = L"KalvorHistoryReply";
inline constexpr ULONG_PTR HistoryAnswerTag = 0x4B6C7648; // "KlvH"
// CaptureAnswer, as much of it as the message's result carries: "ok".
inline constexpr LRESULT CaptureTaken = CaptureAnswer[0] << 8 | CaptureAnswer[1];

class CaptureChannel {
  public:
    enum class State { Closed, Listening, StandingBy };
    // history: the history as a GIMP palette, for `kalvor --history`; none, it is refused.
    explicit CaptureChannel(std::function<void()> onRequest,
                            std::function<std::string()> history = {});
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
    LRESULT AnswerHistory(HWND reply) const;

    std::function<void()> onRequest_;
    std::function<std::string()> history_;
    State state_ = State::Closed;
    HANDLE mutex_ = nullptr;
    HWND window_ = nullptr;
};

// What `kalvor --capture` does: offers the request to the channels of this user in this
// session and waits at most timeoutMs for each answer.
CaptureReply SendCaptureRequest(UINT timeoutMs = static_cast<UINT>(CaptureReplyTimeout.count()));

// What `kalvor --history` gets from the running copy of this user in this session.
struct HistoryReply {
    bool running = false; // a copy has the channel
    std::string palette;  // its history as a GIMP palette, when it answered
    std::string reason;   // one line for standard error when a running copy did not answer
};
HistoryReply SendHistoryRequest(UINT timeoutMs = static_cast<UINT>(CaptureReplyTimeout.count()));
