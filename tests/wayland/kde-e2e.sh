#!/bin/bash
# End to end on KDE Plasma: the kalvor program's --print on a headless KWin session with the
# real portal, its KDE backend and PipeWire, consent restored from a pre-granted permission.
#   kde-e2e.sh KALVOR PAINTER INPUT
# Prints PASS/FAIL per check and "N passed, N failed"; exits 1 on any failure.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
export KW_DIR=${KW_DIR:-${TMPDIR:-/tmp}/kalvor-kde}
# A user of its own: stopping a session ends every process of its user.
export KW_USER=${KW_USER:-kalvor-kde}
SESSION=$HERE/kde-session.sh
BODY=kde-e2e-body.sh
. "$HERE/scenarios.sh"

require_tools kwin_wayland pipewire wireplumber /usr/libexec/xdg-desktop-portal dbus-daemon gdbus
if ! compgen -G '/usr/lib/*/libexec/xdg-desktop-portal-kde' > /dev/null; then
    echo "missing xdg-desktop-portal-kde: scripts/test.sh installs it"
    echo "0 passed, 1 failed"
    exit 1
fi

# The Wayland backend is a module the program loads from beside itself.
scenario 1280x720 print "$(readlink -f "$1")" "$(dirname "$(readlink -f "$1")")/kalvor-wayland.so" \
    "$(readlink -f "$2")" "$(readlink -f "$3")" "$HERE/kde-desktop.py"
report "kalvor on KDE e2e"
