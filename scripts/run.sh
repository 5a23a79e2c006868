#!/usr/bin/env bash
# Builds Kalvor and opens it on your desktop: an X display, or a Wayland session.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"

step "Checking Debian packages"
ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$ROOT/build" Release -DKALVOR_BUILD_TESTS=OFF -DKALVOR_BUILD_BENCH=OFF \
    -DKALVOR_WAYLAND=ON

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "kalvor: no display: neither DISPLAY nor WAYLAND_DISPLAY is set. Run this from a" \
        "desktop session." >&2
    exit 1
fi
step "Starting Kalvor on ${DISPLAY:-$WAYLAND_DISPLAY}"
exec "$ROOT/build/src/kalvor" "$@"
