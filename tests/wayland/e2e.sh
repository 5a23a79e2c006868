#!/bin/bash
# End to end: the Wayland backend (through kalvor-wayland-probe) against a headless mutter
# session with the real portal, PipeWire and consent dialog. Runs as root (CI) or as a user.
#   e2e.sh PROBE PAINTER
# Prints PASS/FAIL per check and "N passed, N failed"; exits 1 on any failure.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
PROBE=$(readlink -f "$1")
PAINTER=$(readlink -f "$2")
export KW_DIR=${KW_DIR:-${TMPDIR:-/tmp}/kalvor-wayland-e2e}
BODY=e2e-body.sh
. "$HERE/scenarios.sh"

require_tools mutter pipewire wireplumber /usr/libexec/xdg-desktop-portal \
    /usr/libexec/xdg-desktop-portal-gnome dbus-daemon

scenario 1280x720 consent "$PROBE" "$PAINTER"
scenario 2560x1440 scaled "$PROBE" "$PAINTER"
scenario 1280x720,800x600 monitors "$PROBE" "$PAINTER"
report "wayland e2e"
