#include "core/capture/CaptureProtocol.h"

#include <algorithm>

CaptureBytes ReadCaptureRequest(std::string_view received) {
    if (received.find('\n') != std::string_view::npos)
        return received == CaptureRequest ? CaptureBytes::Whole : CaptureBytes::Wrong;
    return received.size() < CaptureRequestMaxBytes ? CaptureBytes::Partial : CaptureBytes::Wrong;
}

CaptureBytes ReadCaptureAnswer(std::string_view received) {
    if (received == CaptureAnswer)
        return CaptureBytes::Whole;
    return CaptureAnswer.starts_with(received) ? CaptureBytes::Partial : CaptureBytes::Wrong;
}

CaptureReply SummariseCapture(const std::vector<CaptureOutcome> &outcomes, std::string_view where,
                              std::chrono::milliseconds waited) {
    const auto any = [&](CaptureOutcome outcome) {
        return std::find(outcomes.begin(), outcomes.end(), outcome) != outcomes.end();
    };
    if (any(CaptureOutcome::Taken))
        return {true, {}};
    if (outcomes.empty())
        return {false, "no running copy of Kalvor " + std::string(where)};
    if (any(CaptureOutcome::Blocked))
        return {false, "the running copy runs as administrator, and Windows lets no program "
                       "that does not send to it; run kalvor --capture as administrator too"};
    if (any(CaptureOutcome::Silent))
        return {false,
                "the running copy did not answer within " + std::to_string(waited.count()) + " ms"};
    return {false, "the running copy refused the request"};
}
