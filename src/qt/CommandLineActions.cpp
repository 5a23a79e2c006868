#include "qt/CommandLineActions.h"

#include "core/colour/CodeText.h"
#include "core/settings/IniMod.h"
#include "core/settings/OutputOptions.h"
#include "platform/posix/CaptureChannel.h"
#include "platform/x11/X11Screen.h"

#include <cstdio>

namespace {

int Fail(const std::string &why) {
    std::fprintf(stderr, "kalvor: %s\n", why.c_str());
    return 1;
}

} // namespace

int CaptureInRunningCopy(const QString &displayName) {
    if (displayName.isEmpty())
        return Fail("no X display: DISPLAY is not set, so there is no running Kalvor to ask");
    const CaptureChannelPath path = LocateCaptureChannel(displayName.toStdString());
    if (!path.error.empty())
        return Fail(path.error);
    const CaptureReply reply = SendCaptureRequest(path.socket);
    return reply.taken ? 0 : Fail(reply.reason);
}

int PrintColourUnderPointer(const CommandLine &command, const QString &displayName,
                            const QString &settingsFolder) {
    if (displayName.isEmpty())
        return Fail("no X display: DISPLAY is not set");
    const std::string name = displayName.toStdString();
    if (const std::string problem = X11Screen::ConnectionProblem(name); !problem.empty())
        return Fail(problem);
    const auto screen = X11Screen::Open(name);
    if (!screen)
        return Fail("cannot open X display \"" + name + "\"");
    const auto pointer = screen->GetCursorPos();
    if (!pointer)
        return Fail("the pointer is on another screen of this display");
    const ColourValue colour = screen->GetPixel(screen->GetDesktopWindow(), *pointer);
    if (colour == CLR_INVALID)
        return Fail("the pixel under the pointer cannot be read");

    IniMod::SetIniPath((settingsFolder + QStringLiteral("/Kalvor.ini")).toStdString());
    int format = command.format;
    if (format < 0) // the window's choice; with none chosen there, the first entry
        format = StoredFormat().value_or(FormatHtml);
    if (format == FormatNone)
        format = FormatHtml;
    const int upperCase =
        command.upperCase >= 0 ? command.upperCase : StoredUpperCase().value_or(1);
    std::printf("%s\n", RenderTexts(colour, format, upperCase).code.c_str());
    return 0;
}
