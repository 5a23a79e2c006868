// kalvor.exe: the window's logic on the Windows desktop.
#include "core/colour/Contrast.h"
#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "platform/win32/MscmsProfileEngine.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32FileStore.h"
#include "platform/win32/Win32Screen.h"
#include "win32/CommandLine.h"
#include "win32/FenwoMainWindow.h"
#include "win32/Notice.h"
#include "win32/Win32Desktop.h"

// windows.h after the core's headers: its RGB and CLR_INVALID macros would break them.
#include "platform/win32/CaptureChannel.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace {

// The manifest asks for per-monitor awareness; a copy started without it (renamed, or its
// manifest stripped) asks again here.
void BecomeDpiAware() {
    using SetContext = BOOL(WINAPI *)(HANDLE);
    const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    if (set && (set(reinterpret_cast<HANDLE>(-4)) || set(reinterpret_cast<HANDLE>(-3))))
        return; // per monitor, v2 or v1
    SetProcessDPIAware();
}

// Tells a waiting benchmark that the window has painted, through the named event it gives.
void SignalFirstPaint() {
    wchar_t name[128] = {};
    if (!GetEnvironmentVariableW(L"KALVOR_FIRST_PAINT_EVENT", name, 128))
        return;
    if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
        SetEvent(event);
        CloseHandle(event);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    BecomeDpiAware();
    const CommandOptions command = ParseWin32CommandLine(ArgumentsOfThisProcess());
    switch (command.action) {
    case CommandOptions::Help:
    case CommandOptions::Version:
        WriteOut(command.message);
        return 0;
    case CommandOptions::Misuse:
        WriteError(command.message);
        return 2;
    case CommandOptions::Capture:
        return CaptureInRunningCopy();
    case CommandOptions::Print:
        return PrintColourUnderPointer(command);
    case CommandOptions::Contrast:
        WriteOut(ContrastReport(command.text, command.ground));
        return 0;
    case CommandOptions::History:
        return PrintHistory(command);
    case CommandOptions::Run:
        break;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    Win32Screen screen;
    Win32Desktop desktop(screen);
    if (!screen.HookInstalled())
        desktop.Say("no keyboard hook: a Space tap between two ticks may be missed");
    // The settings file through the program's own reader and writer: a file another system
    // wrote reads the same whatever the code page, and a save replaces it whole. The kept
    // history and the exports go through the same store.
    Win32FileStore files;
    IniFileProfile profile(files);
    IniMod settings(profile);

    // The program owns the window's logic; the window shows it and hands it every event.
    FenwoMainWindow window(instance, desktop);
    MscmsProfileEngine colours;
    FenwoMain core(window, desktop, settings, &files, &colours);
    window.Attach(core);
    window.OnFirstPaint(SignalFirstPaint);
    // Listening before the window exists: a `kalvor --capture` sent the moment it shows is
    // kept until the first tick takes it.
    CaptureChannel channel([&core] { core.RequestCapture(); },
                           [&core] { return core.HistoryPalette(); });
    std::string channelProblem;
    channel.Open(&channelProblem);
    if (!window.Create()) {
        desktop.Say("the window could not be created");
        return 1;
    }
    // From now on what the program has to say shows beside the window too.
    Notice notice(window.Handle());
    desktop.ShowNoticesWith([&notice](const std::string &message) { notice.Show(message); });
    if (channel.CurrentState() == CaptureChannel::State::Closed)
        desktop.Say("kalvor --capture cannot reach this window: " + channelProblem);
    window.Show(showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.PreTranslate(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    desktop.ShowNoticesWith(nullptr);
    // The notice went with the window: what the close could not save is told where it is seen.
    if (const std::string &problem = core.CloseSaveProblem(); !problem.empty())
        MessageBoxW(nullptr, Widen("Kalvor: " + problem).c_str(), L"Kalvor",
                    MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    return static_cast<int>(message.wParam);
}
