#!/usr/bin/env bash
# Builds Kalvor with its tests and runs them: the core alone (no Qt, no X11), then the whole
# suite twice, in a plain build and in one with AddressSanitizer and UndefinedBehaviorSanitizer,
# where any report fails the test. Needs no display: the tests that need one start their own
# Xvfb.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
. "$ROOT/tests/wayland/packages.sh"
started=$SECONDS
# The tests start their own displays and desktop sessions: nothing of the caller's desktop may
# reach them (in a Wayland session XDG_SESSION_TYPE alone turns the X11 tests' kalvor to Wayland).
unset DISPLAY WAYLAND_DISPLAY XDG_SESSION_TYPE XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP \
    DBUS_SESSION_BUS_ADDRESS KALVOR_BACKEND QT_QPA_PLATFORM

step "Checking Debian packages"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
ensure_wayland_packages

configure_and_build "$ROOT/build-core" RelWithDebInfo -DKALVOR_WERROR=ON -DKALVOR_CORE_ONLY=ON
step "Running the core's unit tests, built without Qt or X11"
(cd "$ROOT/build-core" && ctest --output-on-failure --timeout 120 -j "$(nproc)")

configure_and_build "$ROOT/build-test" RelWithDebInfo -DKALVOR_WERROR=ON -DKALVOR_WAYLAND=ON
step "Running the test suite"
(cd "$ROOT/build-test" && ctest --output-on-failure --timeout 600 -j "$(nproc)")

configure_and_build "$ROOT/build-asan" RelWithDebInfo -DKALVOR_WERROR=ON -DKALVOR_SANITIZE=ON -DKALVOR_WAYLAND=ON
step "Running the test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$ROOT/tests/sanitizer-suppressions.txt:print_suppressions=0
(cd "$ROOT/build-asan" && ctest --output-on-failure --timeout 900 -j "$(nproc)")

# The native Windows program, cross-built and tested under wine.
"$ROOT/scripts/test-windows.sh"

step "All tests passed in $((SECONDS - started)) s"
