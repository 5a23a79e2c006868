#pragma once

#include <functional>
#include <string>

// Where Kalvor.ini lives: beside kalvor.exe when that folder can be written (a portable copy),
// otherwise in the user's roaming application data (an installed copy under Program Files).
struct SettingsPlaces {
    std::string programFolder;                             // UTF-8, a separator only at a root
    std::string roamingFolder;                             // %APPDATA%, UTF-8; empty when unknown
    std::function<bool(const std::string &folder)> usable; // a file can be made there
};
std::string ChooseSettingsFolder(const SettingsPlaces &places);

// The real places of this process: the executable's folder and %APPDATA%, probed by creating
// and dropping a file; the roaming folder's "Kalvor" folder is created when chosen, unless only
// reading is to be done there.
std::string SettingsFolderOfThisProgram(bool create = true);

// The folder of a file's full path, keeping the separator of a drive's root ("E:\\"): without it
// "E:" names the drive's current folder, wherever that is.
std::string FolderOf(const std::string &file);
// A file in folder, as absolute as the folder: one separator between them, whatever its end.
std::string FileIn(const std::string &folder, const std::string &name);

// Whether a file can be created in folder.
bool FolderIsUsable(const std::string &folder);
