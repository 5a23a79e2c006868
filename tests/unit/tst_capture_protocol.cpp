// The capture protocol both transports speak: what a request and an answer are, and what
// `kalvor --capture` says for what it met.
#include "Testing.h"
#include "core/capture/CaptureProtocol.h"

using namespace std::chrono_literals;
using Bytes = CaptureBytes;
using Outcome = CaptureOutcome;

TEST_CASE("a request is exactly one line; the answer exactly its text") {
    const struct {
        std::string received;
        Bytes request;
        Bytes answer;
    } rows[] = {
        {"", Bytes::Partial, Bytes::Partial},
        {"capture v1\n", Bytes::Whole, Bytes::Wrong},
        {"capture v1", Bytes::Partial, Bytes::Wrong},
        {"capture v1\nx", Bytes::Wrong, Bytes::Wrong},
        {"capture v2\n", Bytes::Wrong, Bytes::Wrong},
        {"CAPTURE V1\n", Bytes::Wrong, Bytes::Wrong},
        {"\n", Bytes::Wrong, Bytes::Wrong},
        {std::string(31, 'c'), Bytes::Partial, Bytes::Wrong},
        {std::string(32, 'c'), Bytes::Wrong, Bytes::Wrong}, // no line end in room for one
        {std::string("capture v1\0\n", 12), Bytes::Wrong, Bytes::Wrong},
        {"ok\n", Bytes::Wrong, Bytes::Whole},
        {"o", Bytes::Partial, Bytes::Partial},
        {"ok", Bytes::Partial, Bytes::Partial},
        {"ok\n\n", Bytes::Wrong, Bytes::Wrong},
        {"no\n", Bytes::Wrong, Bytes::Wrong},
    };
    for (const auto &row : rows) {
        CHECK_EQ(int(ReadCaptureRequest(row.received)), int(row.request));
        CHECK_EQ(int(ReadCaptureAnswer(row.received)), int(row.answer));
    }
}

TEST_CASE("--capture says taken by any copy, else the likeliest reason") {
    const std::string elevated = "the running copy runs as administrator, and Windows lets no "
                                 "program that does not send to it; run kalvor --capture as "
                                 "administrator too";
    const struct {
        std::vector<Outcome> outcomes;
        bool taken;
        std::string reason;
    } rows[] = {
        {{}, false, "no running copy of Kalvor on this display"},
        {{Outcome::Taken}, true, ""},
        {{Outcome::Refused, Outcome::Silent, Outcome::Taken}, true, ""},
        {{Outcome::Refused}, false, "the running copy refused the request"},
        {{Outcome::Refused, Outcome::Silent},
         false,
         "the running copy did not answer within 1500 ms"},
        {{Outcome::Silent, Outcome::Blocked, Outcome::Refused}, false, elevated},
    };
    for (const auto &row : rows) {
        const CaptureReply reply = SummariseCapture(row.outcomes, "on this display", 1500ms);
        CHECK_EQ(reply.taken, row.taken);
        CHECK_EQ(reply.reason, row.reason);
    }
    CHECK_EQ(SummariseCapture({}, "in this session", 1ms).reason,
             std::string("no running copy of Kalvor in this session"));
}

CHECK_MAIN
