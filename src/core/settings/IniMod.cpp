#include "core/settings/IniMod.h"

namespace IniMod {

namespace {
constexpr size_t MaxValueBytes = 254;
Profile *profile = nullptr;
std::function<void(const std::string &)> reporter;
bool reported = false;
int passes = 0;
} // namespace

std::string IniPath;

void SetIniPath(const std::string &path) {
    IniPath = path;
    reported = false;
}

void UseProfile(Profile &chosen) {
    profile = &chosen;
}

void UseReporter(std::function<void(const std::string &message)> report) {
    reporter = std::move(report);
}

std::string ReadIni(const std::string &section, const std::string &key,
                    const std::string &defaultValue) {
    const auto value =
        profile && !IniPath.empty() ? profile->Get(IniPath, section, key) : std::nullopt;
    if (!value) {
        const size_t end = defaultValue.find_last_not_of(' ');
        return end == std::string::npos ? std::string() : defaultValue.substr(0, end + 1);
    }
    std::string text = value->substr(0, MaxValueBytes);
    if (const size_t nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

ReadPass::ReadPass() {
    if (profile && passes++ == 0)
        profile->HoldReads(true);
}

ReadPass::~ReadPass() {
    if (profile && passes > 0 && --passes == 0)
        profile->HoldReads(false);
}

void WriteIni(const std::string &section, const std::string &key, const std::string &value) {
    WriteIni({{section, key, value}});
}

bool WriteIni(const std::vector<IniEntry> &entries) {
    if (!profile)
        return false;
    const std::string problem = profile->Put(IniPath, entries);
    if (problem.empty())
        return true;
    if (reporter && !reported && !IniPath.empty())
        reporter("settings not saved to " + IniPath + ": " + problem);
    reported = true;
    return false;
}

} // namespace IniMod
