#include "win32/CommandLine.h"

#include "core/colour/CodeText.h"
#include "core/history/GimpPalette.h"
#include "core/history/PaletteFormats.h"
#include "core/loupe/LoupeSettings.h"
#include "core/sampling/ColourUnderPointer.h"
#include "core/settings/ColourSetting.h"
#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "core/settings/OutputOptions.h"
#include "platform/win32/CaptureChannel.h"
#include "platform/win32/MscmsProfileEngine.h"
#include "platform/win32/SettingsFolder.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32FileStore.h"
#include "platform/win32/Win32Screen.h"

#include <windows.h>

#include <shellapi.h>

namespace {

constexpr HelpWords WindowsHelpWords = {"", "",
                                        "Your copy in the same session takes it; of two there,\n   "
                                        "              the one that started first.",
                                        ""};

// The console of the program that started this one, attached on first use.
HANDLE ParentConsole() {
    static const HANDLE console = [] {
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
            return INVALID_HANDLE_VALUE; // ERROR_ACCESS_DENIED: attached already
        return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

// The handle the caller gave, whatever it names (a file, a pipe, NUL or another device); the
// parent's console only when there is none. A windowed program may be handed its parent's
// console handle without being attached to that console: such a handle reads as a device that
// is no console until this process attaches, and is then written through the console.
HANDLE Stream(DWORD which) {
    const HANDLE given = GetStdHandle(which);
    if (!given || given == INVALID_HANDLE_VALUE)
        return ParentConsole();
    DWORD mode = 0;
    if (GetFileType(given) != FILE_TYPE_CHAR || GetConsoleMode(given, &mode))
        return given;
    const HANDLE console = ParentConsole();
    return console != INVALID_HANDLE_VALUE && GetConsoleMode(given, &mode) ? console : given;
}

// Empty when the whole text was written, otherwise why not.
std::string Write(DWORD which, std::string_view text) {
    const HANDLE stream = Stream(which);
    if (!stream || stream == INVALID_HANDLE_VALUE)
        return "there is no standard output or console";
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(stream, &mode)) {
        const std::wstring wide = Widen(text);
        if (!WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written,
                           nullptr) ||
            written != wide.size())
            return SystemMessage(GetLastError());
        return {};
    }
    // Files and pipes get Windows line ends, as a console program's text output would.
    std::string lines;
    for (const char c : text) {
        if (c == '\n')
            lines += '\r';
        lines += c;
    }
    if (!WriteFile(stream, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) ||
        written != lines.size())
        return SystemMessage(GetLastError());
    return {};
}

int Fail(const std::string &why) {
    WriteError("kalvor: " + why + "\n");
    return 1;
}

bool StandardOutputIsConsole() {
    const HANDLE stream = Stream(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return stream && stream != INVALID_HANDLE_VALUE && GetConsoleMode(stream, &mode);
}

// A palette on standard output: to a file or a pipe byte for byte, line ends as they are (what
// the export writes). The exit status.
int WritePaletteOut(std::string_view bytes) {
    if (StandardOutputIsConsole()) {
        WriteOut(bytes);
        return 0;
    }
    const HANDLE stream = Stream(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (!stream || stream == INVALID_HANDLE_VALUE ||
        !WriteFile(stream, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        return Fail("cannot write the history (error " + std::to_string(GetLastError()) + ")");
    return 0;
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

std::string WriteOut(std::string_view text) {
    return Write(STD_OUTPUT_HANDLE, text);
}

void WriteError(std::string_view text) {
    Write(STD_ERROR_HANDLE, text);
}

int CaptureInRunningCopy() {
    const CaptureReply reply = SendCaptureRequest();
    return reply.taken ? 0 : Fail(reply.reason);
}

int PrintColourUnderPointer(const CommandOptions &command) {
    Win32FileStore files;
    IniFileProfile profile(files);
    IniMod settings(profile);
    settings.SetIniPath(FileIn(SettingsFolderOfThisProgram(false), "Kalvor.ini"));
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
    // A full disk or a closed output: the caller must not take an unwritten code for a printed one.
    const std::string problem = WriteOut(
        PrintedCode(settings, static_cast<ColourValue>(pixel), command.format, command.upperCase) +
        "\n");
    return problem.empty() ? 0 : Fail("cannot write the code: " + problem);
}

int PrintHistory(const CommandOptions &command) {
    const PaletteFormat &format = *PaletteFormatByWord(command.paletteWord);
    if (format.binary && StandardOutputIsConsole())
        return Fail("--format " + std::string(format.word) +
                    " is binary: send it to a file or a pipe, not the console");
    const std::string folder = SettingsFolderOfThisProgram(false);
    History history;
    std::string none;
    if (const HistoryReply reply = SendHistoryRequest(); reply.running) {
        if (!reply.reason.empty())
            return Fail(reply.reason);
        history = ReadGimpPalette(reply.palette);
        none = "the running Kalvor has no colours in its history";
    } else {
        const std::string kept = FileIn(folder, "Kalvor.gpl");
        Win32FileStore files;
        const FileStore::Contents contents = files.Load(kept);
        history = ReadGimpPalette(contents.bytes);
        none = "no Kalvor runs in this session, and " +
               std::string(contents.state == FileStore::State::Missing ? "there is no "
                                                                       : "no colours in ") +
               kept;
    }
    if (history.Empty())
        return Fail(none);
    Win32FileStore files;
    IniFileProfile profile(files);
    IniMod settings(profile);
    settings.SetIniPath(FileIn(folder, "Kalvor.ini"));
    return WritePaletteOut(WritePalette(format, history, StoredCodeStyle(settings)));
}
