#include "platform/win32/CaptureChannel.h"

#include <sddl.h>

#include <memory>
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

} // namespace

CaptureChannel::CaptureChannel(std::function<void()> onRequest)
    : onRequest_(std::move(onRequest)) {}

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
