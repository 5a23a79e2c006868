#include "platform/win32/SettingsFolder.h"

#include "platform/win32/Text.h"

#include <windows.h>

#include <shlobj.h>

std::string ChooseSettingsFolder(const SettingsPlaces &places) {
    if (!places.installed && places.usable(places.programFolder))
        return places.programFolder;
    if (places.roamingFolder.empty())
        return places.programFolder;
    return FileIn(places.roamingFolder, "Kalvor");
}

std::string FolderOf(const std::string &file) {
    const size_t slash = file.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    const bool drive = slash == 2 && file[1] == ':';
    const bool longDrive = slash == 6 && file.compare(0, 4, "\\\\?\\") == 0 && file[5] == ':';
    const bool root = slash == 0 || drive || longDrive;
    return file.substr(0, root ? slash + 1 : slash);
}

std::string FileIn(const std::string &folder, const std::string &name) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/')
        return folder + name;
    return folder + "\\" + name;
}

bool FolderIsUsable(const std::string &folder) {
    if (folder.empty())
        return false;
    const std::wstring probe =
        Widen(FileIn(folder, ".kalvor-write-probe-" + std::to_string(GetCurrentProcessId())));
    const HANDLE file = CreateFileW(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    std::wstring path;
    PWSTR known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &known)))
        path = known;
    CoTaskMemFree(known);
    return path;
}

// Whether path is folder or inside it, spelt either case.
bool Within(const std::wstring &path, const std::wstring &folder) {
    if (folder.empty() || path.size() < folder.size() ||
        CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                             static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL)
        return false;
    return path.size() == folder.size() || path[folder.size()] == L'\\' || folder.back() == L'\\';
}

} // namespace

bool IsInstalledCopy(const std::string &folder) {
    const std::wstring wide = Widen(folder);
    if (GetFileAttributesW(Widen(FileIn(folder, "uninstall.exe")).c_str()) !=
        INVALID_FILE_ATTRIBUTES)
        return true;
    for (REFKNOWNFOLDERID id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86})
        if (Within(wide, KnownFolder(id)))
            return true;
    return false;
}

std::string SettingsFolderOfThisProgram(bool create) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::string programFolder = FolderOf(Narrow(path));

    const std::wstring roaming = KnownFolder(FOLDERID_RoamingAppData);
    const std::string chosen =
        ChooseSettingsFolder({programFolder, Narrow(roaming),
                              [](const std::string &folder) { return FolderIsUsable(folder); },
                              IsInstalledCopy(programFolder)});
    if (create && chosen != programFolder)
        CreateDirectoryW(Widen(chosen).c_str(), nullptr); // already there is fine too
    return chosen;
}
