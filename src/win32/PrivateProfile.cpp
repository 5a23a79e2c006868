#include "win32/PrivateProfile.h"

#include "win32/Text.h"

#include <windows.h>

namespace {

// A default no file holds tells a missing key from a present one: the functions themselves
// answer both with text.
constexpr char Missing[] = "\x7f\x01kalvor:missing\x01\x7f";
constexpr DWORD BufferSize = 255; // a value is cut to 254 bytes

} // namespace

std::optional<std::string> PrivateProfile::Get(const std::string &path, const std::string &section,
                                               const std::string &key) {
    const auto file = ToAnsi(path);
    const auto sectionName = ToAnsi(section);
    const auto keyName = ToAnsi(key);
    if (!file || !sectionName || !keyName || file->empty())
        return std::nullopt;
    char buffer[BufferSize] = {};
    const DWORD length = GetPrivateProfileStringA(sectionName->c_str(), keyName->c_str(), Missing,
                                                  buffer, BufferSize, file->c_str());
    const std::string value(buffer, length < BufferSize ? length : BufferSize - 1);
    if (value == Missing)
        return std::nullopt;
    return FromAnsi(value);
}

std::string PrivateProfile::Put(const std::string &path, const std::vector<IniEntry> &entries) {
    const auto file = ToAnsi(path);
    if (!file || file->empty())
        return path.empty() ? "no settings file"
                            : "its path cannot be written in the ANSI code page";
    for (const IniEntry &entry : entries) {
        const auto section = ToAnsi(entry.section);
        const auto key = ToAnsi(entry.key);
        const auto value = ToAnsi(entry.value);
        if (!section || !key || !value)
            return "a value cannot be written in the ANSI code page";
        if (!WritePrivateProfileStringA(section->c_str(), key->c_str(), value->c_str(),
                                        file->c_str()))
            return "the system refused the write (error " + std::to_string(GetLastError()) + ")";
    }
    // Settles whatever the system still holds of the file in memory.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file->c_str());
    return {};
}
