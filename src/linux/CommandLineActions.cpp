#include "linux/CommandLineActions.h"

#include "core/colour/CodeText.h"
#include "core/history/GimpPalette.h"
#include "core/history/PaletteFormats.h"
#include "core/loupe/LoupeSettings.h"
#include "core/sampling/ColourUnderPointer.h"
#include "core/settings/ColourSetting.h"
#include "core/settings/FileStore.h"
#include "core/settings/OutputOptions.h"
#include "platform/lcms/LcmsProfileEngine.h"
#include "platform/posix/CaptureChannel.h"
#include "platform/x11/X11Screen.h"
#include "qt/Say.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>
#include <unistd.h>
#ifdef KALVOR_WITH_WAYLAND
#include "platform/wayland/WaylandScreenReader.h"
#endif

namespace {

int Fail(const std::string &why) {
    Say(why);
    return 1;
}

std::optional<ColourSpace> AskedSpace(const CommandLine &command) {
    if (command.space < 0)
        return std::nullopt;
    return static_cast<ColourSpace>(command.space);
}

// Reads the colour under the pointer as the command asks, else as settings say.
PointerColour ReadColour(const CommandLine &command, IniMod &settings, ScreenReader &screen,
                         std::string_view noPointer) {
    LcmsProfileEngine engine;
    PointerColour read =
        ColourUnderPointer(screen, PrintedSampleSide(settings, command.average), noPointer,
                           PrintedColourSpace(settings, AskedSpace(command)), &engine);
    if (!read.warning.empty())
        Say(read.warning);
    return read;
}

// Prints the code of colour as the command asked, else as settings say.
int Print(const CommandLine &command, ColourValue colour, IniMod &settings) {
    const std::string line =
        PrintedCode(settings, colour, command.format, command.upperCase) + '\n';
    // A full disk or a closed pipe shows only at the flush: the caller must not take an
    // unwritten code for a printed one.
    errno = 0;
    if (std::fputs(line.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
        return Fail(std::string("cannot write the code: ") +
                    (errno != 0 ? std::strerror(errno) : "output error"));
    return 0;
}

// Writes bytes whole to standard output.
int Emit(const std::string &bytes, const char *what) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0)
        return Fail(std::string("cannot write the ") + what + ": " +
                    (errno != 0 ? std::strerror(errno) : "output error"));
    return 0;
}

} // namespace

int PrintHistory(const CommandLine &command, const QString &displayName, IniMod &settings,
                 FileStore &files) {
    const PaletteFormat &format = *PaletteFormatByWord(command.paletteWord);
    if (format.binary && isatty(STDOUT_FILENO))
        return Fail("--format " + std::string(format.word) +
                    " is binary: send it to a file or a pipe, not the terminal");
    History history;
    std::string source;
    const CaptureChannelPath path = LocateCaptureChannel(displayName.toStdString());
    const HistoryReply reply = displayName.isEmpty() || !path.error.empty()
                                   ? HistoryReply{}
                                   : SendHistoryRequest(path.socket);
    if (reply.running) {
        if (!reply.reason.empty())
            return Fail(reply.reason);
        history = ReadGimpPalette(reply.palette);
        source = "the running Kalvor has no colours in its history";
    } else {
        const std::string kept =
            std::filesystem::path(settings.IniPath()).replace_filename("Kalvor.gpl").string();
        const FileStore::Contents contents = files.Load(kept);
        history = ReadGimpPalette(contents.bytes);
        source = "no Kalvor runs on this display, and " +
                 std::string(contents.state == FileStore::State::Missing ? "there is no "
                                                                         : "no colours in ") +
                 kept;
    }
    if (history.Empty())
        return Fail(source);
    return Emit(WritePalette(format, history, StoredCodeStyle(settings)), "history");
}

int CaptureInRunningCopy(const QString &displayName) {
    if (displayName.isEmpty())
        return Fail("no display: neither DISPLAY nor WAYLAND_DISPLAY is set, so there is no "
                    "running Kalvor to ask");
    const CaptureChannelPath path = LocateCaptureChannel(displayName.toStdString());
    if (!path.error.empty())
        return Fail(path.error);
    const CaptureReply reply = SendCaptureRequest(path.socket);
    return reply.taken ? 0 : Fail(reply.reason);
}

int PrintColourUnderPointer(const CommandLine &command, const QString &displayName,
                            IniMod &settings) {
    if (displayName.isEmpty())
        return Fail("no X display: DISPLAY is not set");
    const std::string name = displayName.toStdString();
    if (const std::string problem = X11Screen::ConnectionProblem(name); !problem.empty())
        return Fail(problem);
    const auto screen = X11Screen::Open(name);
    if (!screen)
        return Fail("cannot open X display \"" + name + "\"");
    const PointerColour read =
        ReadColour(command, settings, *screen, "the pointer is on another screen of this display");
    if (!read.Read())
        return Fail(read.problem);

    return Print(command, read.colour, settings);
}

#ifdef KALVOR_WITH_WAYLAND
int PrintColourThroughPortal(const CommandLine &command, IniMod &settings,
                             WaylandScreenReader &reader) {
    using State = WaylandScreenReader::State;
    reader.Start();
    // The user may take a while over the consent dialog; a restored permission is quick.
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const WaylandScreenReader::Status status = reader.CurrentStatus();
        const auto waited = std::chrono::steady_clock::now() - start;
        if (status.state == State::Sampling) {
            if (const PointerColour read =
                    ReadColour(command, settings, reader, "the pointer's position cannot be read");
                read.Read())
                return Print(command, read.colour, settings);
            // Long enough for the reader to ask twice for a picture that was lost.
            if (waited > std::chrono::seconds(7))
                return Fail("the screen cast shows no pixel under the pointer");
        } else if (status.state == State::NoPicture) {
            return Fail("the desktop sends the pointer but no picture");
        } else if (status.state != State::Starting && status.state != State::AskingConsent) {
            return Fail(status.text);
        } else if (waited > std::chrono::seconds(status.state == State::AskingConsent ? 120 : 10)) {
            return Fail("the desktop did not start the screen cast: " + status.text);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
#endif
