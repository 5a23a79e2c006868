#!/usr/bin/env bash
# Builds Kalvor and opens it on your X display.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"

step "Checking Debian packages"
ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$ROOT/build" Release -DKALVOR_BUILD_TESTS=OFF -DKALVOR_BUILD_BENCH=OFF

if [ -z "${DISPLAY:-}" ]; then
    echo "kalvor: no X display: DISPLAY is not set. Run this from a desktop session." >&2
    exit 1
fi
step "Starting Kalvor on $DISPLAY"
exec "$ROOT/build/src/kalvor" "$@"
