#include "core/settings/IniMod.h"

namespace {
constexpr size_t MaxValueBytes = 254;
} // namespace

void IniMod::SetIniPath(const std::string &path) {
    iniPath_ = path;
    reported_ = false;
}

void IniMod::UseReporter(std::function<void(const std::string &message)> report) {
    reporter_ = std::move(report);
}

std::string IniMod::ReadIni(const std::string &section, const std::string &key,
                            const std::string &defaultValue) const {
    const auto value = iniPath_.empty() ? std::nullopt : profile_.Get(iniPath_, section, key);
    if (!value) {
        const size_t end = defaultValue.find_last_not_of(' ');
        return end == std::string::npos ? std::string() : defaultValue.substr(0, end + 1);
    }
    std::string text = value->substr(0, MaxValueBytes);
    if (const size_t nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

IniMod::ReadPass::ReadPass(IniMod &settings) : settings_(settings) {
    if (settings_.passes_++ == 0)
        settings_.profile_.HoldReads(true);
}

IniMod::ReadPass::~ReadPass() {
    if (--settings_.passes_ == 0)
        settings_.profile_.HoldReads(false);
}

void IniMod::WriteIni(const std::string &section, const std::string &key,
                      const std::string &value) {
    WriteIni({{section, key, value}});
}

bool IniMod::WriteIni(const std::vector<IniEntry> &entries) {
    const std::string problem = profile_.Put(iniPath_, entries);
    lastProblem_ = problem.empty() ? problem : "settings not saved to " + iniPath_ + ": " + problem;
    if (problem.empty())
        return true;
    if (reporter_ && !reported_ && !iniPath_.empty())
        reporter_(lastProblem_);
    reported_ = true;
    return false;
}
