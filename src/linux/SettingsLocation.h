#pragma once

#include <QString>
#include <string>

// The folder "Kalvor.ini" lives in: beside the program when the file is there already or could
// be written there (a portable copy), otherwise the user's configuration folder. An installed
// copy always uses the configuration folder: it cannot, or must not, write beside itself.
// Paths are the system's bytes, whatever their encoding: a folder whose name is not UTF-8
// is found all the same.
std::string NativeSettingsFolder(const std::string &programDir);
QString SettingsFolder(const QString &programDir);

// The folder this program runs from, in the system's bytes.
std::string ProgramFolder();
