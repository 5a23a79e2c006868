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

TEST_CASE("the history request, and its answer: a length, then exactly that many bytes") {
    const struct {
        std::string received;
        Bytes request; // as ReadChannelRequest reads it
        bool history;  // the request asks for the history
        Bytes answer;  // as ReadHistoryAnswer reads it
        const char *palette;
    } rows[] = {
        {"history v1\n", Bytes::Whole, true, Bytes::Wrong, ""},
        {"capture v1\n", Bytes::Whole, false, Bytes::Wrong, ""},
        {"hist", Bytes::Partial, true, Bytes::Wrong, ""},
        {"history v1\nx", Bytes::Wrong, false, Bytes::Wrong, ""},
        {"history v2\n", Bytes::Wrong, false, Bytes::Wrong, ""},
        {"pal", Bytes::Partial, false, Bytes::Partial, ""},
        {"palette 3", Bytes::Partial, false, Bytes::Partial, ""},
        {"palette 3\nab", Bytes::Wrong, false, Bytes::Partial, ""},
        {"palette 3\nabc", Bytes::Wrong, false, Bytes::Whole, "abc"},
        {"palette 0\n", Bytes::Wrong, false, Bytes::Whole, ""},
        {"palette 3\nabcd", Bytes::Wrong, false, Bytes::Wrong, ""},
        {"palette \n", Bytes::Wrong, false, Bytes::Wrong, ""},
        {"palette -3\nabc", Bytes::Wrong, false, Bytes::Wrong, ""},
        {"palette 3x\nabc", Bytes::Wrong, false, Bytes::Wrong, ""},
        {"palette 99999999999\n", Bytes::Wrong, false, Bytes::Wrong, ""},
        {"ok\n", Bytes::Wrong, false, Bytes::Wrong, ""},
    };
    for (const auto &row : rows) {
        const ChannelBytes request = ReadChannelRequest(row.received);
        CHECK_EQ(int(request.bytes), int(row.request));
        if (request.bytes == Bytes::Whole)
            CHECK_EQ(request.request == ChannelRequest::History, row.history);
        const HistoryBytes answer = ReadHistoryAnswer(row.received);
        CHECK_EQ(int(answer.bytes), int(row.answer));
        CHECK_EQ(answer.palette, std::string(row.palette));
    }
    const std::string palette = "GIMP Palette\n1 2 3\tCafé\n";
    CHECK_EQ(ReadHistoryAnswer(HistoryAnswer(palette)).palette, palette);
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
