#pragma once

// Every test program's framework: doctest, one header that builds wherever the core does (any
// compiler, cross-built for Windows and run under wine). CHECK_EQ and CHECK(a == b) print both
// values of a failed comparison.

#include <doctest.h>

// A test program's main: doctest's runner and its command line (--help; -tc=NAME runs the cases
// of that name, * and ? as wildcards). The runner itself is compiled once, in TestRunner.cpp.
#define CHECK_MAIN                                                                                 \
    int main(int argc, char **argv) {                                                              \
        return doctest::Context(argc, argv).run();                                                 \
    }
