// Exec to first paint, and resident memory after start, of Kalvor against a bare Qt window,
// over repeated alternating runs. Usage: startup_bench KALVOR BARE [runs] (needs a display).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

struct Sample {
    double ms = -1;
    double mib = -1;
};

long long NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

Sample RunOnce(const char *program) {
    int out[2];
    if (pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char *argv[] = {const_cast<char *>(program), nullptr};
    const long long start = NowNs();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0)
        return {};
    close(out[1]);
    std::string text;
    char buffer[256];
    ssize_t got = 0;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(got));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    Sample sample;
    if (const auto at = text.find("first-paint-ns "); at != std::string::npos)
        sample.ms = (std::atoll(text.c_str() + at + 15) - start) / 1e6;
    if (const auto at = text.find("resident-bytes "); at != std::string::npos)
        sample.mib = std::atoll(text.c_str() + at + 15) / (1024.0 * 1024.0);
    return sample;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench KALVOR BARE [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 20;
    setenv("LD_PRELOAD", PROBE_LIBRARY, 1);
    std::vector<double> kalvorMs, kalvorMib, bareMs, bareMib;
    RunOnce(argv[1]); // warm the file cache for both
    RunOnce(argv[2]);
    for (int i = 0; i < runs; ++i) {
        const Sample k = RunOnce(argv[1]);
        const Sample b = RunOnce(argv[2]);
        if (k.ms < 0 || b.ms < 0) {
            std::fprintf(stderr, "startup_bench: a run reported no first paint\n");
            return 1;
        }
        kalvorMs.push_back(k.ms);
        kalvorMib.push_back(k.mib);
        bareMs.push_back(b.ms);
        bareMib.push_back(b.mib);
    }
    const double km = Median(kalvorMs), bm = Median(bareMs);
    const double kr = Median(kalvorMib), br = Median(bareMib);
    std::printf("over %d runs each (medians):\n", runs);
    std::printf("exec to first paint: Kalvor %.1f ms, bare Qt window %.1f ms, ratio %.2f "
                "(target at most 1.20)\n",
                km, bm, km / bm);
    std::printf("resident after start: Kalvor %.1f MiB, bare Qt window %.1f MiB, ratio %.2f "
                "(target at most 1.20)\n",
                kr, br, kr / br);
    return 0;
}
