#include "win32/CommandLine.h"

#include "core/loupe/LoupeSettings.h"
#include "core/sampling/ColourUnderPointer.h"
#include "core/settings/ColourSetting.h"
#include "core/settings/IniMod.h"
#include "core/settings/OutputOptions.h"
#include "platform/win32/CaptureChannel.h"
#include "platform/win32/MscmsProfileEngine.h"
#include "platform/win32/PrivateProfile.h"
#include "platform/win32/SettingsFolder.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32Screen.h"

#include <windows.h>

#include <shellapi.h>

namespace {

constexpr HelpWords WindowsHelpWords = {"", "",
                                        "Your copy in the same session takes it; of two there,\n   "
                                        "              the one that started first.",
                                        ""};

// A console handle not of this process's console is of no use to a windowed program; the
// starting program's console is, once attached.
HANDLE Stream(DWORD which) {
    const HANDLE given = GetStdHandle(which);
    if (given && given != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(given);
        DWORD mode = 0;
        if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE ||
            (type == FILE_TYPE_CHAR && GetConsoleMode(given, &mode)))
            return given;
    }
    static const HANDLE console = [] {
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
            return INVALID_HANDLE_VALUE; // ERROR_ACCESS_DENIED: attached already
        return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

void Write(DWORD which, std::string_view text) {
    const HANDLE stream = Stream(which);
    if (!stream || stream == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(stream, &mode)) {
        const std::wstring wide = Widen(text);
        WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // Files and pipes get Windows line ends, as a console program's text output would.
    std::string lines;
    for (const char c : text) {
        if (c == '\n')
            lines += '\r';
        lines += c;
    }
    WriteFile(stream, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
}

int Fail(const std::string &why) {
    WriteError("kalvor: " + why + "\n");
    return 1;
}

} // namespace

CommandOptions ParseWin32CommandLine(const std::vector<std::string> &arguments) {
    return ParseOptions(
        arguments, {UsageText(WindowsHelpWords), HelpText(WindowsHelpWords), KALVOR_VERSION, {}});
}

std::vector<std::string> ArgumentsOfThisProcess() {
    int count = 0;
    LPWSTR *words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; words && i < count; ++i)
        arguments.push_back(Narrow(words[i]));
    LocalFree(words);
    return arguments;
}

void WriteOut(std::string_view text) {
    Write(STD_OUTPUT_HANDLE, text);
}

void WriteError(std::string_view text) {
    Write(STD_ERROR_HANDLE, text);
}

int CaptureInRunningCopy() {
    const CaptureReply reply = SendCaptureRequest();
    return reply.taken ? 0 : Fail(reply.reason);
}

int PrintColourUnderPointer(const CommandOptions &command) {
    PrivateProfile profile;
    IniMod settings(profile);
    settings.SetIniPath(SettingsFolderOfThisProgram(false) + "\\Kalvor.ini");
    Win32Screen screen(false);
    MscmsProfileEngine engine;
    const std::optional<ColourSpace> asked =
        command.space < 0 ? std::nullopt : std::optional(static_cast<ColourSpace>(command.space));
    const PointerColour read =
        ColourUnderPointer(screen, PrintedSampleSide(settings, command.average),
                           "the pointer's position cannot be read; is the desktop locked?",
                           PrintedColourSpace(settings, asked), &engine);
    if (!read.Read())
        return Fail(read.problem);
    if (!read.warning.empty())
        WriteError("kalvor: " + read.warning + "\n");
    const ColourValue pixel = read.colour;
    WriteOut(
        PrintedCode(settings, static_cast<ColourValue>(pixel), command.format, command.upperCase) +
        "\n");
    return 0;
}
