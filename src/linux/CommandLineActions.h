#pragma once

#include "core/settings/IniMod.h"
#include "linux/CommandLine.h"

#include <string>

// What `kalvor --capture` and `kalvor --print` do, without a window. Each returns the exit
// status and says why on standard error when it fails.

// Asks the copy running on displayName to capture, as a Space press would.
int CaptureInRunningCopy(const QString &displayName);

// Prints the history of the copy running on displayName, else the one kept beside settings'
// file, in the format the command asks (else the window's plain text).
class FileStore;
int PrintHistory(const CommandLine &command, const QString &displayName, IniMod &settings,
                 FileStore &files);

// Prints the code of the colour under the pointer on displayName, in the format and case the
// command line asks for, else those of settings (never written).
int PrintColourUnderPointer(const CommandLine &command, const QString &displayName,
                            IniMod &settings);

// The same through the desktop's screen-cast portal, on a Wayland desktop: the first start asks
// the user, later ones restore the permission given then. The reader is new, not started.
class WaylandScreenReader;
int PrintColourThroughPortal(const CommandLine &command, IniMod &settings,
                             WaylandScreenReader &reader);
