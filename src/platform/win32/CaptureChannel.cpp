#include "platform/win32/CaptureChannel.h"

#include <sddl.h>

#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

constexpr UINT_PTR SweepTimer = 1;
constexpr UINT SweepMilliseconds = 250;

// The user SID of a process's token, as text; empty when the process cannot be asked.
std::wstring UserOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::wstring sid;
    if (size > 0) {
        auto buffer = std::make_unique<unsigned char[]>(size);
        LPWSTR text = nullptr;
        if (GetTokenInformation(token, TokenUser, buffer.get(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.get())->User.Sid, &text)) {
            sid = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sid;
}

const std::wstring &ThisUser() {
    static const std::wstring user = UserOf(GetCurrentProcess());
    return user;
}

// Whether the window's process runs as this user in this session: the copy asked, or the one
// asking (another user's program on this desktop, started with "run as", is neither).
bool SameUser(HWND window) {
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid))
        return false;
    DWORD session = 0;
    DWORD ourSession = 0;
    if (!pid || !ProcessIdToSessionId(pid, &session) ||
        !ProcessIdToSessionId(GetCurrentProcessId(), &ourSession) || session != ourSession)
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;
    const std::wstring user = UserOf(process);
    CloseHandle(process);
    return !user.empty() && user == ThisUser();
}

bool IsRequest(const COPYDATASTRUCT *data) {
    return data && data->dwData == CaptureRequestTag && data->lpData &&
           ReadCaptureRequest({static_cast<const char *>(data->lpData), data->cbData}) ==
               CaptureBytes::Whole;
}

ChannelRequest RequestIn(const COPYDATASTRUCT *data) {
    if (!data || data->dwData != CaptureRequestTag || !data->lpData)
        return ChannelRequest::Capture;
    const ChannelBytes read =
        ReadChannelRequest({static_cast<const char *>(data->lpData), data->cbData});
    return read.bytes == CaptureBytes::Whole ? read.request : ChannelRequest::Capture;
}

// A reply window a --history client made: its class, and of this user in this session.
bool IsReplyWindow(HWND window) {
    wchar_t name[64] = {};
    return window && GetClassNameW(window, name, 64) &&
           std::wstring_view(name) == HistoryReplyClass && SameUser(window);
}

// What the reply window collects while its client waits for the channel's answer.
struct Awaited {
    HWND from;          // the channel asked; answers from any other window are not taken
    std::string answer; // HistoryAnswer's bytes
    bool given = false;
};

LRESULT CALLBACK ReplyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA)
        return DefWindowProcW(window, message, wParam, lParam);
    auto *awaited = reinterpret_cast<Awaited *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
    if (!awaited || awaited->given || reinterpret_cast<HWND>(wParam) != awaited->from || !data ||
        data->dwData != HistoryAnswerTag || (data->cbData > 0 && !data->lpData))
        return 0;
    awaited->answer.assign(static_cast<const char *>(data->lpData), data->cbData);
    awaited->given = true;
    return CaptureTaken;
}

} // namespace

CaptureChannel::CaptureChannel(std::function<void()> onRequest,
                               std::function<std::string()> history)
    : onRequest_(std::move(onRequest)), history_(std::move(history)) {}

CaptureChannel::~CaptureChannel() {
    if (window_)
        DestroyWindow(window_);
    if (mutex_) {
        if (state_ == State::Listening)
            ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}

CaptureChannel::State CaptureChannel::Open(std::string *error) {
    const auto fail = [&](const char *why) {
        if (error)
            *error = why + (" (error " + std::to_string(GetLastError()) + ")");
        return state_ = State::Closed;
    };
    if (ThisUser().empty())
        return fail("this process's user is unknown");
    // Local: one name per session; the SID: one per user there.
    const std::wstring name = L"Local\\KalvorCaptureChannel-" + ThisUser();
    mutex_ = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex_)
        return fail("cannot make the channel's mutex");
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = Proc;
    cls.hInstance = instance;
    cls.lpszClassName = CaptureChannelClass;
    if (!RegisterClassExW(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return fail("cannot register the channel's window class");
    window_ = CreateWindowExW(0, CaptureChannelClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, this);
    if (!window_)
        return fail("cannot make the channel's window");
    state_ = State::StandingBy;
    TryTake();
    if (state_ == State::StandingBy)
        SetTimer(window_, SweepTimer, SweepMilliseconds, nullptr);
    return state_;
}

void CaptureChannel::TryTake() {
    const DWORD waited = WaitForSingleObject(mutex_, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return;
    state_ = State::Listening;
    if (window_)
        KillTimer(window_, SweepTimer);
}

LRESULT CALLBACK CaptureChannel::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams));
    auto *self = reinterpret_cast<CaptureChannel *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COPYDATA:
        if (self && self->state_ == State::Listening &&
            IsRequest(reinterpret_cast<const COPYDATASTRUCT *>(lParam)) &&
            SameUser(reinterpret_cast<HWND>(wParam))) {
            self->onRequest_();
            return CaptureTaken;
        }
        if (self && self->state_ == State::Listening &&
            RequestIn(reinterpret_cast<const COPYDATASTRUCT *>(lParam)) == ChannelRequest::History)
            return self->AnswerHistory(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_CLOSE: // the channel lives as long as the window; nobody else ends it
        return 0;
    case WM_TIMER:
        if (self && wParam == SweepTimer && self->state_ == State::StandingBy)
            self->TryTake();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The answer goes back as a message of its own: a message's result carries no bytes.
LRESULT CaptureChannel::AnswerHistory(HWND reply) const {
    if (!history_ || !IsReplyWindow(reply))
        return 0;
    const std::string answer = HistoryAnswer(history_());
    COPYDATASTRUCT data{HistoryAnswerTag, static_cast<DWORD>(answer.size()),
                        const_cast<char *>(answer.data())};
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                               reinterpret_cast<LPARAM>(&data), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                               static_cast<UINT>(CaptureReplyTimeout.count()), &result) &&
                   static_cast<LRESULT>(result) == CaptureTaken
               ? CaptureTaken
               : 0;
}

HistoryReply SendHistoryRequest(UINT timeoutMs) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = ReplyProc;
    cls.hInstance = instance;
    cls.lpszClassName = HistoryReplyClass;
    if (!RegisterClassExW(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return {false, {}, "cannot make the window the answer comes to"};
    HWND reply = CreateWindowExW(0, HistoryReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    if (!reply)
        return {false, {}, "cannot make the window the answer comes to"};
    Awaited awaited{};
    SetWindowLongPtrW(reply, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&awaited));
    COPYDATASTRUCT request{CaptureRequestTag, static_cast<DWORD>(HistoryRequest.size()),
                           const_cast<char *>(HistoryRequest.data())};
    std::vector<CaptureOutcome> outcomes;
    HistoryReply answered{};
    HWND channel = nullptr;
    while ((channel = FindWindowExW(HWND_MESSAGE, channel, CaptureChannelClass, nullptr))) {
        if (!SameUser(channel))
            continue;
        awaited = {channel, {}, false};
        DWORD_PTR answer = 0;
        // Not SMTO_BLOCK: the answer is sent to the reply window while this waits.
        if (!SendMessageTimeoutW(channel, WM_COPYDATA, reinterpret_cast<WPARAM>(reply),
                                 reinterpret_cast<LPARAM>(&request), SMTO_ABORTIFHUNG, timeoutMs,
                                 &answer)) {
            outcomes.push_back(GetLastError() == ERROR_ACCESS_DENIED ? CaptureOutcome::Blocked
                                                                     : CaptureOutcome::Silent);
            continue;
        }
        const HistoryBytes read = ReadHistoryAnswer(awaited.answer);
        if (static_cast<LRESULT>(answer) == CaptureTaken && awaited.given &&
            read.bytes == CaptureBytes::Whole) {
            answered = {true, read.palette, {}};
            break;
        }
        outcomes.push_back(CaptureOutcome::Refused);
    }
    SetWindowLongPtrW(reply, GWLP_USERDATA, 0);
    DestroyWindow(reply);
    if (answered.running || outcomes.empty())
        return answered;
    return {
        true,
        {},
        SummariseCapture(outcomes, "in this session", std::chrono::milliseconds(timeoutMs)).reason};
}

CaptureReply SendCaptureRequest(UINT timeoutMs) {
    COPYDATASTRUCT request{CaptureRequestTag, static_cast<DWORD>(CaptureRequest.size()),
                           const_cast<char *>(CaptureRequest.data())};
    // The sender named in the message, by which the channel knows whose request it is.
    const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> sender(
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr),
        &DestroyWindow);
    std::vector<CaptureOutcome> outcomes;
    HWND channel = nullptr;
    while ((channel = FindWindowExW(HWND_MESSAGE, channel, CaptureChannelClass, nullptr))) {
        if (!SameUser(channel))
            continue;
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(channel, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.get()),
                                 reinterpret_cast<LPARAM>(&request), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                                 timeoutMs, &answer)) {
            // User Interface Privilege Isolation: a copy run as administrator takes no
            // message from one that is not, and the system says so at once.
            outcomes.push_back(GetLastError() == ERROR_ACCESS_DENIED ? CaptureOutcome::Blocked
                                                                     : CaptureOutcome::Silent);
        } else if (static_cast<LRESULT>(answer) == CaptureTaken) {
            return {true, {}};
        } else {
            outcomes.push_back(CaptureOutcome::Refused);
        }
    }
    return SummariseCapture(outcomes, "in this session", std::chrono::milliseconds(timeoutMs));
}
