#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

// What this process holds right now, as the kernel counts it.
inline double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

inline int OpenDescriptors() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                          std::filesystem::directory_iterator()));
}

// CPU seconds (user + system) another process has used so far, as /proc/PID/stat counts them:
// whole clock ticks, its ended threads included. Negative when it cannot be read.
inline double CpuSecondsOf(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto name = line.rfind(')'); // the name in brackets may hold blanks
    if (name == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(name + 2));
    std::string field;
    double ticks = 0;
    for (int i = 0; i <= 12 && fields >> field; ++i)
        if (i >= 11) // utime and stime, the 14th and 15th fields
            ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The same in the scheduler's nanoseconds, over the threads the process has now.
inline double RunSecondsOf(long pid) {
    double seconds = 0;
    std::error_code error;
    for (const auto &task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double ns = 0;
        if (schedstat >> ns)
            seconds += ns / 1e9;
    }
    return seconds;
}
