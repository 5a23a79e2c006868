#pragma once

// How `kalvor --capture` asks the running copy to capture, as a Space press would, whatever
// carries the bytes (a Unix socket on Linux, a window message on Windows). One request, one
// answer: the client sends exactly CaptureRequest; the running copy hands it to the window and
// answers CaptureAnswer. Anything else (another text, more bytes, a half line, silence past the
// timeout) gets no answer and reaches nothing.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view CaptureRequest = "capture v1\n";
inline constexpr std::string_view CaptureAnswer = "ok\n";
// A request read in pieces that has no line end by this many bytes is not one.
inline constexpr std::size_t CaptureRequestMaxBytes = 32;
// How long `kalvor --capture` waits for the answer, and the running copy for the rest of a
// request that has begun.
inline constexpr std::chrono::milliseconds CaptureReplyTimeout{2000};
inline constexpr std::chrono::milliseconds CaptureRequestTimeout{1000};

// What the bytes received so far make.
enum class CaptureBytes { Partial, Whole, Wrong };
// On the running copy's side: a transport that carries whole messages takes only Whole.
CaptureBytes ReadCaptureRequest(std::string_view received);
// On the side of `kalvor --capture`.
CaptureBytes ReadCaptureAnswer(std::string_view received);

// `kalvor --history` asks the same way for the running copy's history: the client sends
// exactly HistoryRequest; the copy answers "palette <bytes>\n" and that many bytes of its
// history as a GIMP palette.
inline constexpr std::string_view HistoryRequest = "history v1\n";
// More than this is no answer: a history of about a million colours.
inline constexpr std::size_t HistoryAnswerMaxBytes = 64u << 20;

enum class ChannelRequest { Capture, History };
struct ChannelBytes {
    CaptureBytes bytes;
    ChannelRequest request; // when Whole
};
// On the running copy's side, either request.
ChannelBytes ReadChannelRequest(std::string_view received);

std::string HistoryAnswer(std::string_view palette);
// On the side of `kalvor --history`: the palette once Whole.
struct HistoryBytes {
    CaptureBytes bytes;
    std::string palette;
};
HistoryBytes ReadHistoryAnswer(std::string_view received);

// How one running copy that was found took the request.
enum class CaptureOutcome { Taken, Refused, Silent, Blocked };

struct CaptureReply {
    bool taken = false;
    std::string reason; // one line for standard error when not taken
};

// What `kalvor --capture` reports once it has offered the request to every running copy it
// found (where: "on this display", "in this session"): taken by any, else the likeliest
// reason (a copy the system keeps it from, one that did not answer within waited, a refusal).
CaptureReply SummariseCapture(const std::vector<CaptureOutcome> &outcomes, std::string_view where,
                              std::chrono::milliseconds waited);
