// kalvor_probe: what the Windows tests and benchmarks need to see of a running kalvor.exe from
// outside it, the way another program on the desktop sees it.
//   controls                 the window, its client area and every control, one line each
//   clipboard                the clipboard's formats, texts and bitmap
//   select-format N          chooses entry N of the format list, as a user's pick
//   move X Y                 moves the window's frame
//   close [HWND] | end-session  closes it (or the copy HWND) by its close box, or ends the
//                            session under it
//   windows                  every running copy's window and whether it holds, one line each
//   channel-garbage [BYTES]  sends what is no capture request (one of BYTES, 1 MiB by default;
//                            the request from no sender's window) to every capture channel;
//                            tells the answers and the time taken
//   capture N                N capture requests to the running copy, back to back; the answers
//   hold-clipboard MS        keeps the clipboard open for MS milliseconds, as a busy program
//   hold-file PATH MS        keeps PATH open for MS milliseconds, as a running program its
//                            executable: nobody may delete or replace it meanwhile
//   notice                   the message a kalvor.exe shows beside its window, if any
//   message-box SECONDS      the text of a message box titled "Kalvor", waited for that long;
//                            then closes it
//   question yes|no          waits for the question box a kalvor.exe asks; tells its title,
//                            text and buttons, and answers it
//   save-as PATH TYPE        waits for the save dialog a kalvor.exe opens; picks its type
//                            TYPE (from 0), types PATH as the name and saves
//   wait-window SECONDS      waits until the window shows
//   focus-window SECONDS     a window of its own that holds the keyboard focus meanwhile
//   close-focus              closes that window, which then tells the Space presses it had
//   bare-window              a plain window that signals its first paint, then closes
//   startup EXE RUNS         milliseconds from start to first paint, RUNS times
//   pattern SECONDS          covers the screen with a pattern that encodes each pixel's place;
//                            says "shown" once it is on the screen. close-pattern ends it.
//   pattern-mean X Y SIDE    the pattern's rounded mean over SIDE x SIDE pixels at X, Y: "rrggbb"
//   loupe X Y ZOOM           reads the shown loupe off the screen: how many blocks show the
//                            pattern around X, Y, each all of it and all of one size, and how
//                            many beyond the screen are hatched
#include "platform/win32/Text.h"
#include "win32/Win32Desktop.h"

#include "core/loupe/LoupePicture.h"
#include "platform/win32/CaptureChannel.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

HWND Kalvor() {
    return FindWindowW(L"KalvorFenwoMain", L"Kalvor");
}

void Print(const std::string &line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    // Through the message, so that it works across processes for every control.
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                        nullptr);
    return Narrow(text);
}

std::string ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return Narrow(name);
}

struct Walk {
    HWND main;
    std::vector<HWND> children;
};

BOOL CALLBACK Collect(HWND child, LPARAM data) {
    reinterpret_cast<Walk *>(data)->children.push_back(child);
    return TRUE;
}

int Controls() {
    HWND main = Kalvor();
    if (!main) {
        Print("no window");
        return 1;
    }
    RECT frame{};
    GetWindowRect(main, &frame);
    RECT client{};
    GetClientRect(main, &client);
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    Print("title " + TextOf(main));
    Print("frame " + std::to_string(frame.left) + " " + std::to_string(frame.top) + " " +
          std::to_string(frame.right - frame.left) + " " +
          std::to_string(frame.bottom - frame.top));
    Print("client " + std::to_string(client.right) + " " + std::to_string(client.bottom));
    Print("origin " + std::to_string(origin.x) + " " + std::to_string(origin.y));
    const LONG_PTR exStyle = GetWindowLongPtrW(main, GWL_EXSTYLE);
    const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
    Print(std::string("topmost ") + ((exStyle & WS_EX_TOPMOST) ? "1" : "0"));
    Print(std::string("maximizebox ") + ((style & WS_MAXIMIZEBOX) ? "1" : "0") + " minimizebox " +
          ((style & WS_MINIMIZEBOX) ? "1" : "0") + " sizebox " +
          ((style & WS_THICKFRAME) ? "1" : "0"));
    Walk walk{main, {}};
    EnumChildWindows(main, Collect, reinterpret_cast<LPARAM>(&walk));
    for (HWND child : walk.children) {
        RECT box{};
        GetWindowRect(child, &box);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT *>(&box), 2);
        const std::string cls = ClassOf(child);
        const LONG_PTR childStyle = GetWindowLongPtrW(child, GWL_STYLE);
        std::string state;
        if (cls == "Button")
            state = " check=" + std::to_string(SendMessageW(child, BM_GETCHECK, 0, 0));
        if (cls == "ComboBox") {
            state = " index=" + std::to_string(SendMessageW(child, CB_GETCURSEL, 0, 0)) + " items=";
            const LRESULT count = SendMessageW(child, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                wchar_t item[256] = {};
                if (SendMessageW(child, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < 256)
                    SendMessageW(child, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(item));
                if (i > 0)
                    state += '/';
                state += Narrow(item);
            }
        }
        if (cls == "ScrollBar") {
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_ALL;
            GetScrollInfo(child, SB_CTL, &info);
            state = " pos=" + std::to_string(info.nPos) +
                    " max=" + std::to_string(info.nMax - static_cast<int>(info.nPage) + 1);
        }
        Print("control " + cls + " " + std::to_string(box.left) + " " + std::to_string(box.top) +
              " " + std::to_string(box.right - box.left) + " " +
              std::to_string(box.bottom - box.top) +
              " visible=" + (IsWindowVisible(child) ? "1" : "0") +
              " enabled=" + (IsWindowEnabled(child) ? "1" : "0") + " tabstop=" +
              ((childStyle & WS_TABSTOP) ? "1" : "0") + state + " text=" + TextOf(child));
    }
    return 0;
}

int Clipboard() {
    const ClipboardContents contents = ReadClipboard();
    if (!contents.opened) {
        Print("clipboard busy");
        return 1;
    }
    char centre[16];
    std::snprintf(centre, sizeof centre, "%06X", static_cast<unsigned>(contents.dibCentre));
    Print("formats " + std::to_string(contents.formats));
    Print("unicode " + contents.unicodeText);
    Print("ansi " + contents.ansiText);
    Print("dib " + std::to_string(contents.dibWidth) + " " + std::to_string(contents.dibHeight) +
          " " + std::to_string(contents.dibBits) + " " + centre);
    return 0;
}

HWND ChildOfClass(HWND main, const char *cls) {
    Walk walk{main, {}};
    EnumChildWindows(main, Collect, reinterpret_cast<LPARAM>(&walk));
    for (HWND child : walk.children)
        if (ClassOf(child) == cls)
            return child;
    return nullptr;
}

int SelectFormat(int index) {
    HWND main = Kalvor();
    HWND combo = main ? ChildOfClass(main, "ComboBox") : nullptr;
    if (!combo)
        return 1;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return 0;
}

bool WaitGone(HWND window, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (!IsWindow(window))
            return true;
        Sleep(20);
    }
    return false;
}

int WaitWindow(int seconds) {
    for (int waited = 0; waited < seconds * 1000; waited += 50) {
        HWND main = Kalvor();
        if (main && IsWindowVisible(main))
            return 0;
        Sleep(50);
    }
    Print("no window");
    return 1;
}

int Close(bool endSession, HWND main = Kalvor()) {
    if (!main)
        return 1;
    if (endSession) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_BLOCK, 5000,
                            &answer);
        Print("query-end-session " + std::to_string(answer));
        SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_BLOCK, 5000,
                            nullptr);
    } else {
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    return WaitGone(main, 10000) ? 0 : 1;
}

BOOL CALLBACK AddCopy(HWND window, LPARAM data) {
    if (ClassOf(window) == "KalvorFenwoMain")
        reinterpret_cast<std::vector<HWND> *>(data)->push_back(window);
    return TRUE;
}

int Windows() {
    std::vector<HWND> copies;
    EnumWindows(AddCopy, reinterpret_cast<LPARAM>(&copies));
    for (HWND main : copies) {
        HWND hold = ChildOfClass(main, "Button"); // Check1 comes before Check2
        Print(std::to_string(reinterpret_cast<std::uintptr_t>(main)) +
              " held=" + std::to_string(hold ? SendMessageW(hold, BM_GETCHECK, 0, 0) : -1));
    }
    return 0;
}

// What a confused or hostile program on the desktop might send the channel.
int ChannelGarbage(std::size_t oversize) {
    std::string request(CaptureRequest);
    std::string oversized(oversize, 'x');
    oversized += request;
    std::string longer = request;
    longer.push_back('\n');
    std::string half = "capture";
    const struct {
        ULONG_PTR tag;
        const std::string *bytes;
    } copies[] = {{CaptureRequestTag + 1, &request},
                  {CaptureRequestTag, &oversized},
                  {CaptureRequestTag, &longer},
                  {CaptureRequestTag, &half},
                  {CaptureRequestTag, nullptr}};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<long long> answers; // -1: no answer in time
    HWND channel = nullptr;
    while ((channel = FindWindowExW(HWND_MESSAGE, channel, CaptureChannelClass, nullptr))) {
        const auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
            DWORD_PTR answer = 0;
            answers.push_back(
                SendMessageTimeoutW(channel, message, wParam, lParam, SMTO_BLOCK, 2000, &answer)
                    ? static_cast<long long>(answer)
                    : -1);
        };
        for (const auto &copy : copies) {
            COPYDATASTRUCT data{copy.tag, copy.bytes ? static_cast<DWORD>(copy.bytes->size()) : 0,
                                copy.bytes ? const_cast<char *>(copy.bytes->data()) : nullptr};
            send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        }
        // The request itself, but from no window: nobody vouches for the sender's user.
        COPYDATASTRUCT whole{CaptureRequestTag, static_cast<DWORD>(request.size()), request.data()};
        send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&whole));
        send(WM_USER + 7, CaptureRequestTag, static_cast<LPARAM>(CaptureTaken));
        send(WM_CLOSE, 0, 0);
        PostMessageW(channel, WM_COPYDATA, 0, 0); // the system refuses it: pointers in a post
    }
    QueryPerformanceCounter(&end);
    std::string line = "answers";
    for (const long long answer : answers) {
        char number[24];
        std::snprintf(number, sizeof number, " %lld", answer);
        line += number;
    }
    Print(line);
    Print("ms " + std::to_string((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart));
    return 0;
}

int Capture(int count) {
    std::string line = "taken";
    for (int i = 0; i < count; ++i)
        line += SendCaptureRequest().taken ? " 1" : " 0";
    Print(line);
    return 0;
}

int HoldClipboard(DWORD milliseconds) {
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(window))
        return 1;
    Print("held");
    Sleep(milliseconds);
    CloseClipboard();
    return 0;
}

int HoldFile(const wchar_t *path, DWORD milliseconds) {
    // A program just closed may hold it a moment longer.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 100 && file == INVALID_HANDLE_VALUE; ++tries, Sleep(100))
        file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Print("cannot hold it: error " + std::to_string(GetLastError()));
        return 1;
    }
    Print("held");
    Sleep(milliseconds);
    CloseHandle(file);
    return 0;
}

BOOL CALLBACK AddNotice(HWND window, LPARAM data) {
    if (IsWindowVisible(window) && ClassOf(window) == "tooltips_class32" &&
        ClassOf(GetWindow(window, GW_OWNER)) == "KalvorFenwoMain")
        *reinterpret_cast<std::string *>(data) = TextOf(window);
    return TRUE;
}

int Notice() {
    std::string text;
    EnumWindows(AddNotice, reinterpret_cast<LPARAM>(&text));
    Print("notice " + text);
    return text.empty() ? 1 : 0;
}

int MessageBoxText(int seconds) {
    for (int tenth = 0; tenth <= seconds * 10; ++tenth) {
        if (HWND box = FindWindowW(L"#32770", L"Kalvor")) {
            Print("message " + TextOf(GetDlgItem(box, 0xFFFF)));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(100);
    }
    Print("message none");
    return 1;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    if (IsWindowVisible(window) && ClassOf(window) == "#32770" &&
        ClassOf(GetWindow(window, GW_OWNER)) == "KalvorFenwoMain") {
        *reinterpret_cast<HWND *>(data) = window;
        return FALSE;
    }
    return TRUE;
}

// The dialog a kalvor.exe shows, within five seconds.
HWND WaitDialog() {
    HWND box = nullptr;
    for (int i = 0; i < 50 && !box; ++i) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&box));
        if (!box)
            Sleep(100);
    }
    return box;
}

int Question(bool yes) {
    HWND box = WaitDialog();
    if (!box) {
        Print("no question");
        return 1;
    }
    Print("question " + TextOf(box) + "|" + TextOf(GetDlgItem(box, 0xFFFF)) + "|" +
          TextOf(GetDlgItem(box, IDYES)) + "|" + TextOf(GetDlgItem(box, IDNO)));
    const int answer = yes ? IDYES : IDNO;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    return 0;
}

// The common save dialog's type list (cmb1) and name box (cmb13, else edt1).
int SaveAs(const wchar_t *path, int type) {
    HWND box = WaitDialog();
    HWND types = box ? GetDlgItem(box, 0x470) : nullptr;
    HWND name = box ? GetDlgItem(box, 0x47c) : nullptr;
    if (box && !name)
        name = GetDlgItem(box, 0x480);
    if (!types || !name) {
        Print("no save dialog");
        return 1;
    }
    SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(type), 0);
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(types));
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    Print("save-as " + TextOf(box) + "|" + TextOf(types));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return 0;
}

int spaceDowns = 0;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && !(lParam & (1 << 30)))
            ++spaceDowns;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        wchar_t name[128] = {};
        if (GetEnvironmentVariableW(L"KALVOR_FIRST_PAINT_EVENT", name, 128)) {
            if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
                SetEvent(event);
                CloseHandle(event);
            }
            PostQuitMessage(0);
        }
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND PlainWindow(const wchar_t *title, int x, int y) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = PlainProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = L"KalvorProbePlain";
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x,
                                  y, 200, 120, nullptr, nullptr, cls.hInstance, nullptr);
    return window;
}

int FocusWindow(int seconds) {
    HWND window = PlainWindow(L"KalvorFocusTarget", 400, 20);
    SetForegroundWindow(window);
    SetFocus(window);
    SetTimer(window, 1, static_cast<UINT>(seconds * 1000), nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    Print("space-presses-received " + std::to_string(spaceDowns));
    return 0;
}

int BareWindow() {
    PlainWindow(L"bare", 100, 100);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

// Milliseconds from CreateProcess to the program's first paint, which it signals through a
// named event; the program is closed after each run.
int Startup(const std::wstring &commandLine, int runs) {
    std::vector<double> times;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int run = 0; run < runs; ++run) {
        const std::wstring name = L"KalvorFirstPaint" + std::to_wstring(GetCurrentProcessId()) +
                                  L"_" + std::to_wstring(run);
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        SetEnvironmentVariableW(L"KALVOR_FIRST_PAINT_EVENT", name.c_str());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::wstring line = commandLine;
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            Print("cannot start");
            return 1;
        }
        const DWORD waited = WaitForSingleObject(event, 30000);
        LARGE_INTEGER end;
        QueryPerformanceCounter(&end);
        if (waited == WAIT_OBJECT_0)
            times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                            static_cast<double>(frequency.QuadPart));
        if (HWND main = Kalvor())
            PostMessageW(main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        CloseHandle(event);
    }
    if (times.empty())
        return 1;
    std::sort(times.begin(), times.end());
    char line[128];
    std::snprintf(line, sizeof line, "first-paint-ms median %.1f min %.1f max %.1f runs %zu",
                  times[times.size() / 2], times.front(), times.back(), times.size());
    Print(line);
    return 0;
}

// Red and green the place's low bits, blue a mix of both: a square's mean is not its centre.
std::uint32_t Pattern(int x, int y) { // 0x00RRGGBB
    return static_cast<std::uint32_t>((x & 255) << 16 | (y & 255) << 8 | ((x * 7 ^ y * 13) & 255));
}

RECT VirtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<std::uint32_t> patternPixels;

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const RECT screen = VirtualScreen();
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader,
                          screen.right - screen.left,
                          screen.top - screen.bottom,
                          1,
                          32,
                          BI_RGB,
                          0,
                          0,
                          0,
                          0,
                          0};
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(screen.right - screen.left),
                          static_cast<DWORD>(screen.bottom - screen.top), 0, 0, 0,
                          static_cast<UINT>(screen.bottom - screen.top), patternPixels.data(),
                          &info, DIB_RGB_COLORS);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Below every topmost window, so the one under test stays in front of it.
int PatternWindow(int seconds) {
    const RECT screen = VirtualScreen();
    for (int y = screen.top; y < screen.bottom; ++y)
        for (int x = screen.left; x < screen.right; ++x)
            patternPixels.push_back(Pattern(x, y));
    WNDCLASSW cls{};
    cls.lpfnWndProc = PatternProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"KalvorProbePattern";
    RegisterClassW(&cls);
    HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, cls.lpszClassName, L"pattern",
                        WS_POPUP | WS_VISIBLE, screen.left, screen.top, screen.right - screen.left,
                        screen.bottom - screen.top, nullptr, nullptr, cls.hInstance, nullptr);
    UpdateWindow(window);
    // Painted; on the screen once wine has passed it on, within this.
    constexpr UINT_PTR Shown = 1;
    constexpr UINT_PTR Over = 2;
    SetTimer(window, Shown, 300, nullptr);
    SetTimer(window, Over, static_cast<UINT>(seconds * 1000), nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.wParam == Over)
            break;
        if (message.message == WM_TIMER && message.wParam == Shown) {
            KillTimer(window, Shown);
            Print("shown");
        }
        DispatchMessageW(&message);
    }
    return 0;
}

int PatternMean(int x, int y, int side) {
    unsigned sums[3] = {};
    const int count = side * side;
    for (int dy = -side / 2; dy <= side / 2; ++dy)
        for (int dx = -side / 2; dx <= side / 2; ++dx)
            for (int channel = 0; channel < 3; ++channel)
                sums[channel] += (Pattern(x + dx, y + dy) >> (16 - 8 * channel)) & 255;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02x%02x%02x", (sums[0] + count / 2) / count,
                  (sums[1] + count / 2) / count, (sums[2] + count / 2) / count);
    Print(hex);
    return 0;
}

// What the screen shows in a rectangle, 0x00RRGGBB row by row.
std::vector<std::uint32_t> ScreenPixels(const RECT &area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    for (std::uint32_t &pixel : pixels)
        pixel &= 0xFFFFFF;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Every pixel of each block but its first row and column (the grid's and the outline's) against
// the pattern at its place, the blocks being the same whole number of the monitor's pixels; a
// block beyond the screen must be hatched: the face colour and black lines, never one flat
// colour.
int Loupe(int x, int y, int zoom) {
    HWND main = Kalvor();
    HWND picture = main ? FindWindowExW(main, nullptr, L"KalvorLoupe", nullptr) : nullptr;
    RECT area{};
    if (!picture || !IsWindowVisible(picture) || !GetWindowRect(picture, &area) ||
        area.right - area.left != area.bottom - area.top) {
        Print("no loupe");
        return 1;
    }
    const int side = area.right - area.left;
    const std::vector<std::uint32_t> shown = ScreenPixels(area);
    const COLORREF faceRef = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t face = static_cast<std::uint32_t>(
        GetRValue(faceRef) << 16 | GetGValue(faceRef) << 8 | GetBValue(faceRef));
    const RECT screen = VirtualScreen();
    const int reach = LoupeReach(zoom);
    const int block = LoupeBlock(zoom, side);
    const int origin = (side - (2 * reach + 1) * block) / 2;
    int on = 0, matching = 0, beyond = 0, hatched = 0;
    std::string firstWrong;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const int left = origin + (dx + reach) * block;
            const int top = origin + (dy + reach) * block;
            const POINT at{x + dx, y + dy};
            const auto pixel = [&](int px, int py) {
                return shown[static_cast<std::size_t>((top + py) * side + left + px)];
            };
            bool ok = true;
            std::uint32_t wrong = 0;
            if (PtInRect(&screen, at)) {
                ++on;
                for (int py = 1; py < block; ++py)
                    for (int px = 1; px < block; ++px)
                        if (pixel(px, py) != Pattern(at.x, at.y) && ok) {
                            ok = false;
                            wrong = pixel(px, py);
                        }
                matching += ok;
            } else {
                ++beyond;
                bool faceSeen = false, inkSeen = false;
                for (int py = 0; py < block; ++py)
                    for (int px = 0; px < block; ++px) {
                        faceSeen |= pixel(px, py) == face;
                        inkSeen |= pixel(px, py) == 0;
                    }
                ok = faceSeen && inkSeen;
                hatched += ok;
            }
            if (!ok && firstWrong.empty()) {
                char what[64];
                std::snprintf(what, sizeof what, " first-wrong %d,%d %06x", dx, dy,
                              static_cast<unsigned>(wrong));
                firstWrong = what;
            }
        }
    Print("match " + std::to_string(matching) + "/" + std::to_string(on) + " hatched " +
          std::to_string(hatched) + "/" + std::to_string(beyond) + firstWrong);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const auto number = [&](int at) { return argc > at ? std::wcstol(argv[at], nullptr, 10) : 0; };
    if (command == L"controls")
        return Controls();
    if (command == L"clipboard")
        return Clipboard();
    if (command == L"select-format")
        return SelectFormat(static_cast<int>(number(2)));
    if (command == L"move") {
        HWND main = Kalvor();
        return main && SetWindowPos(main, nullptr, static_cast<int>(number(2)),
                                    static_cast<int>(number(3)), 0, 0,
                                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (command == L"close")
        return argc > 2 ? Close(false, reinterpret_cast<HWND>(std::wcstoull(argv[2], nullptr, 10)))
                        : Close(false);
    if (command == L"windows")
        return Windows();
    if (command == L"channel-garbage")
        return ChannelGarbage(argc > 2 ? static_cast<std::size_t>(number(2)) : 1 << 20);
    if (command == L"end-session")
        return Close(true);
    if (command == L"capture")
        return Capture(static_cast<int>(number(2)));
    if (command == L"hold-clipboard")
        return HoldClipboard(static_cast<DWORD>(number(2)));
    if (command == L"hold-file" && argc > 3)
        return HoldFile(argv[2], static_cast<DWORD>(number(3)));
    if (command == L"notice")
        return Notice();
    if (command == L"message-box")
        return MessageBoxText(static_cast<int>(number(2)));
    if (command == L"save-as" && argc > 3)
        return SaveAs(argv[2], static_cast<int>(number(3)));
    if (command == L"question")
        return Question(argc > 2 && std::wstring(argv[2]) == L"yes");
    if (command == L"wait-window")
        return WaitWindow(static_cast<int>(number(2)));
    if (command == L"focus-window")
        return FocusWindow(static_cast<int>(number(2)));
    if (command == L"close-focus") {
        HWND target = FindWindowW(L"KalvorProbePlain", L"KalvorFocusTarget");
        return target && PostMessageW(target, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (command == L"bare-window")
        return BareWindow();
    if (command == L"pattern")
        return PatternWindow(static_cast<int>(number(2)));
    if (command == L"close-pattern") {
        HWND pattern = FindWindowW(L"KalvorProbePattern", nullptr);
        return pattern && PostMessageW(pattern, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (command == L"pattern-mean")
        return PatternMean(static_cast<int>(number(2)), static_cast<int>(number(3)),
                           static_cast<int>(number(4)));
    if (command == L"loupe")
        return Loupe(static_cast<int>(number(2)), static_cast<int>(number(3)),
                     static_cast<int>(number(4)));
    if (command == L"startup" && argc > 3)
        return Startup(argv[2], static_cast<int>(number(3)));
    std::fputs("usage: kalvor_probe controls|clipboard|select-format N|move X Y|close [HWND]|"
               "end-session|windows|channel-garbage|hold-file PATH MS|question yes|no|"
               "save-as PATH TYPE|message-box S|wait-window S|focus-window "
               "S|close-focus|bare-window|startup CMD RUNS|pattern S|pattern-mean X Y SIDE|"
               "close-pattern|loupe X Y ZOOM\n",
               stderr);
    return 2;
}
