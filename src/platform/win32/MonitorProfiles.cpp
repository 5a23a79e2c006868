#include "platform/win32/MonitorProfiles.h"

#include "platform/win32/MscmsProfileEngine.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    reinterpret_cast<std::vector<HMONITOR> *>(data)->push_back(monitor);
    return TRUE;
}

ProfileBytes ReadProfile(const std::wstring &path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.empty())
        return nullptr;
    return std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
}

} // namespace

MonitorProfiles::~MonitorProfiles() {
    for (const Kept &kept : kept_)
        if (kept.dc)
            DeleteDC(static_cast<HDC>(kept.dc));
}

MonitorProfiles::Found MonitorProfiles::At(ScreenPoint point) {
    const HMONITOR monitor = MonitorFromPoint({point.x, point.y}, MONITOR_DEFAULTTONULL);
    if (!monitor)
        return {};
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    int index = 0;
    while (index < static_cast<int>(monitors.size()) && monitors[std::size_t(index)] != monitor)
        ++index;
    if (index == static_cast<int>(monitors.size()))
        return {};
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info))
        return {index, nullptr};
    if (kept_.size() <= std::size_t(index))
        kept_.resize(std::size_t(index) + 1);
    Kept &kept = kept_[std::size_t(index)];
    if (kept.device != info.szDevice || !kept.dc) {
        if (kept.dc)
            DeleteDC(static_cast<HDC>(kept.dc));
        kept = {info.szDevice, CreateDCW(L"DISPLAY", info.szDevice, nullptr, nullptr), {}, {}};
    }
    wchar_t path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (!kept.dc || !GetICMProfileW(static_cast<HDC>(kept.dc), &size, path))
        path[0] = 0;
    if (!srgbKnown_) {
        srgb_ = StandardSrgbProfile();
        srgbKnown_ = true;
    }
    const std::wstring named = path;
    if (named != kept.path) {
        kept.path = named;
        const bool standard =
            !srgb_.empty() &&
            CompareStringOrdinal(named.c_str(), -1, srgb_.c_str(), -1, TRUE) == CSTR_EQUAL;
        kept.bytes = named.empty() || standard ? nullptr : ReadProfile(named);
    }
    return {index, kept.bytes};
}
