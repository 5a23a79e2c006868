// A million captures into the history: the cost of one append early and late, and the resident
// memory each swatch takes, through the window's logic with a view that draws nothing.
#include "bench/BenchSupport.h"
#include "bench/ProcessStats.h"
#include "core/FenwoMain.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// The silent window and desktop, with settings that keep nothing.
struct Silent final : SilentWindow, Profile {
    std::optional<std::string> Get(const std::string &, const std::string &,
                                   const std::string &) override {
        return std::nullopt;
    }
    std::string Put(const std::string &, const std::vector<IniEntry> &) override { return {}; }
};

} // namespace

int main(int argc, char *argv[]) {
    const int total = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int window = std::min(100000, total / 2);
    Silent silent;
    IniMod settings(silent);
    FenwoMain w(silent, silent, settings);

    const double residentBefore = ResidentBytes();
    using Clock = std::chrono::steady_clock;
    double firstNs = 0;
    double lastNs = 0;
    for (int i = 0; i < total; ++i) {
        w.ShowColor(i & 0xFFFFFF);
        const auto start = Clock::now();
        w.AppendSwatch();
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        if (i < window)
            firstNs += ns;
        else if (i >= total - window)
            lastNs += ns;
    }
    const double perSwatch = (ResidentBytes() - residentBefore) / total;
    std::printf("appended %lld swatches\n", static_cast<long long>(w.Swatches().Count()));
    std::printf("append, first %d: %.3f us each\n", window, firstNs / 1000.0 / window);
    std::printf("append, last %d:  %.3f us each (target: not growing with the count)\n", window,
                lastNs / 1000.0 / window);
    std::printf("resident memory: %.1f bytes per swatch (target at most 64)\n", perSwatch);
    return 0;
}
