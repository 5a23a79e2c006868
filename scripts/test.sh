#!/usr/bin/env bash
# Builds Kalvor with its tests and runs the whole suite. Needs no display: the tests that need
# one start their own Xvfb.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"

step "Checking Debian packages"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
configure_and_build "$ROOT/build-test" RelWithDebInfo -DKALVOR_WERROR=ON

step "Running the test suite"
cd "$ROOT/build-test"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
