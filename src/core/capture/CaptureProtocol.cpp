#include "core/capture/CaptureProtocol.h"

#include <algorithm>
#include <charconv>

CaptureBytes ReadCaptureRequest(std::string_view received) {
    if (received.find('\n') != std::string_view::npos)
        return received == CaptureRequest ? CaptureBytes::Whole : CaptureBytes::Wrong;
    return received.size() < CaptureRequestMaxBytes ? CaptureBytes::Partial : CaptureBytes::Wrong;
}

ChannelBytes ReadChannelRequest(std::string_view received) {
    if (received == HistoryRequest)
        return {CaptureBytes::Whole, ChannelRequest::History};
    if (received.find('\n') == std::string_view::npos && HistoryRequest.starts_with(received))
        return {CaptureBytes::Partial, ChannelRequest::History};
    return {ReadCaptureRequest(received), ChannelRequest::Capture};
}

std::string HistoryAnswer(std::string_view palette) {
    return "palette " + std::to_string(palette.size()) + "\n" + std::string(palette);
}

HistoryBytes ReadHistoryAnswer(std::string_view received) {
    constexpr std::string_view head = "palette ";
    const std::size_t end = received.find('\n');
    if (end == std::string_view::npos) {
        const bool begun = received.size() <= head.size() ? head.starts_with(received)
                                                          : received.starts_with(head);
        return {begun && received.size() < head.size() + 12 ? CaptureBytes::Partial
                                                            : CaptureBytes::Wrong,
                {}};
    }
    if (!received.starts_with(head))
        return {CaptureBytes::Wrong, {}};
    const std::string_view digits = received.substr(head.size(), end - head.size());
    std::size_t size = 0;
    const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (digits.empty() || error != std::errc() || last != digits.data() + digits.size() ||
        size > HistoryAnswerMaxBytes)
        return {CaptureBytes::Wrong, {}};
    const std::string_view body = received.substr(end + 1);
    if (body.size() < size)
        return {CaptureBytes::Partial, {}};
    if (body.size() > size)
        return {CaptureBytes::Wrong, {}};
    return {CaptureBytes::Whole, std::string(body)};
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
