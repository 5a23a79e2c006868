#!/usr/bin/env bash
# Builds the native Windows program from this tree: kalvor.exe (x64, no DLL beyond Windows'
# own), a portable zip and an installer, in build-windows/ (or the folder given).
#   scripts/build-windows.sh [BUILD_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
. "$ROOT/scripts/windows-lib.sh"
BUILD=${1:-$ROOT/build-windows}

step "Checking Debian packages (Windows cross-build)"
ensure_packages "${WINDOWS_BUILD_PACKAGES[@]}"
windows_build "$BUILD"
windows_package "$BUILD"
step "Built: $BUILD/kalvor.exe, $(basename "$WINDOWS_ZIP"), $(basename "$WINDOWS_INSTALLER")"
