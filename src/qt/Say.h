#pragma once

#include <cstdio>
#include <string>

// One line for the user on standard error, marked as Kalvor's.
inline void Say(const std::string &message) {
    std::fprintf(stderr, "kalvor: %s\n", message.c_str());
}
