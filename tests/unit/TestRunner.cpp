// doctest's runner, compiled once for all the test programs (tests/unit/Testing.h).
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>
