// A large settings file read and written as the program does: what --print reads, what start-up
// reads, and what a close writes. Each runs in a child of its own, so that its peak memory is
// its own; the figures are time and peak resident memory, next to the file's size.
#include "bench/BenchSupport.h"
#include "core/FenwoMain.h"
#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "core/settings/OutputOptions.h"
#include "platform/posix/PosixFileStore.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Silent final : SilentWindow {
    std::string folder;
    std::vector<ScreenRect> Screens() override { return {{0, 0, 1920, 1080}}; }
    std::string SettingsFolder() override { return folder; }
    void Say(const std::string &message) override { std::printf("said: %s\n", message.c_str()); }
};

// Blank lines (the most lines for the size) and short key lines of someone else's, the
// program's sections last: every lookup has to pass them all.
void MakeFile(const std::string &path, long bytes) {
    std::ofstream out(path, std::ios::binary);
    out << "[Other]\r\n";
    const std::string blanks(4096, '\n');
    char line[64];
    for (long written = 0, i = 0; written < bytes; ++i) {
        const int n = std::snprintf(line, sizeof line, "Key%07ld=some value\r\n", i);
        out.write(line, n);
        out << blanks;
        written += n + static_cast<long>(blanks.size());
    }
    out << "[Position]\r\nLeft=900\r\nTop=450\r\n[Output]\r\nUpperCase=1\r\nType=0\r\n";
}

void Run(const char *name, long fileBytes, const std::function<void()> &work) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-9s %8.3f s", name, seconds);
        std::fflush(stdout);
        std::_Exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
    std::printf("  peak %8.1f MB  (%.1f bytes per byte of the file)\n", peak / 1e6,
                peak / static_cast<double>(fileBytes));
}

} // namespace

int main(int argc, char *argv[]) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 20;
    char pattern[] = "/tmp/kalvor-ini-bench-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const std::string folder = pattern;
    const std::string path = folder + "/Kalvor.ini";
    MakeFile(path, megabytes << 20);
    const long size = static_cast<long>(std::filesystem::file_size(path));
    std::printf("settings file: %.1f MB mostly blank lines\n", static_cast<double>(size) / 1e6);

    PosixFileStore files;
    IniFileProfile profile(files);
    IniMod settings(profile);
    settings.SetIniPath(path);
    Run("--print", size,
        [&] { std::printf("code %s; ", PrintedCode(settings, 0x123456, -1, -1).c_str()); });
    Run("start-up", size, [&] {
        Silent silent;
        silent.folder = folder;
        FenwoMain w(silent, silent, settings);
        w.Form_Load();
    });
    Run("close", size, [&] {
        settings.WriteIni({{"Position", "Left", "915"},
                           {"Position", "Top", "465"},
                           {"Output", "UpperCase", "0"},
                           {"Output", "Type", "2"}});
    });
    std::filesystem::remove_all(folder);
    return 0;
}
