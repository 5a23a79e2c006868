#pragma once

#include <functional>
#include <string>

// Where Kalvor.ini lives: beside kalvor.exe for a portable copy whose folder can be written,
// otherwise in the user's roaming application data: always for an installed copy, which an
// elevated run could otherwise write beside, into a folder shared by every user.
struct SettingsPlaces {
    std::string programFolder;                             // UTF-8, a separator only at a root
    std::string roamingFolder;                             // %APPDATA%, UTF-8; empty when unknown
    std::function<bool(const std::string &folder)> usable; // a file can be made there
    bool installed = false;                                // see IsInstalledCopy
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
// Whether the program in folder was put there by the installer (its uninstaller lies beside
// it) or stands under Program Files.
bool IsInstalledCopy(const std::string &folder);

// Whether a file can be created in folder.
bool FolderIsUsable(const std::string &folder);
