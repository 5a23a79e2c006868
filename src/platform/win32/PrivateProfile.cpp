#include "platform/win32/PrivateProfile.h"

#include "platform/win32/Text.h"

#include <windows.h>

namespace {

// A default no file holds tells a missing key from a present one: the functions themselves
// answer both with text.
constexpr wchar_t Missing[] = L"\x7f\x01kalvor:missing\x01\x7f";
constexpr DWORD BufferSize = 255; // a value is cut to 254 characters

} // namespace

std::optional<std::string> PrivateProfile::Get(const std::string &path, const std::string &section,
                                               const std::string &key) {
    if (path.empty())
        return std::nullopt;
    const std::wstring file = Widen(path);
    wchar_t buffer[BufferSize] = {};
    const DWORD length = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                                  Missing, buffer, BufferSize, file.c_str());
    const std::wstring value(buffer, length < BufferSize ? length : BufferSize - 1);
    if (value == Missing)
        return std::nullopt;
    return Narrow(value);
}

std::string PrivateProfile::Put(const std::string &path, const std::vector<IniEntry> &entries) {
    if (path.empty())
        return "no settings file";
    const std::wstring file = Widen(path);
    for (const IniEntry &entry : entries) {
        if (!WritePrivateProfileStringW(Widen(entry.section).c_str(), Widen(entry.key).c_str(),
                                        Widen(entry.value).c_str(), file.c_str()))
            return "the system refused the write (error " + std::to_string(GetLastError()) + ")";
    }
    // Settles whatever the system still holds of the file in memory.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    return {};
}
