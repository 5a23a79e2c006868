#pragma once

#include "core/CommandLineOptions.h"

#include <string>
#include <string_view>

// Kalvor's options as kalvor.exe takes them: the rules of every front-end, no others.
CommandOptions ParseWin32CommandLine(const std::vector<std::string> &arguments);
// This process's arguments, in UTF-8.
std::vector<std::string> ArgumentsOfThisProcess();

// kalvor.exe is a windowed program: its standard output and error are the handles it was given
// (a file, a pipe, NUL), else the console of the program that started it, else nowhere. Text is
// UTF-8. WriteOut tells why the text was not written whole, empty when it was.
std::string WriteOut(std::string_view text);
void WriteError(std::string_view text);

// What `kalvor --capture` and `kalvor --print` do, without a window; each returns the exit
// status and says why on standard error when it fails.
int CaptureInRunningCopy();
// In the format and case the command line asks for, else those of the settings file (read
// where the window would read it, never written).
int PrintColourUnderPointer(const CommandOptions &command);
// The history of the running copy in this session, else the one kept beside the settings file,
// in the format the command line asks for (else the window's plain text).
int PrintHistory(const CommandOptions &command);
