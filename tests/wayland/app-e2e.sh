#!/bin/bash
# End to end: the kalvor program itself (--print, the window, --capture, Space) on a headless
# mutter session with the real portal, PipeWire and consent dialog, without XWayland.
#   app-e2e.sh KALVOR PAINTER PROBE (the probe reads the window off the screen)
# Prints PASS/FAIL per check and "N passed, N failed"; exits 1 on any failure.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
KALVOR=$(readlink -f "$1")
PAINTER=$(readlink -f "$2")
PROBE=$(readlink -f "$3")
# The Wayland backend is a module the program loads from beside itself.
MODULE=$(dirname "$KALVOR")/kalvor-wayland.so
export KW_DIR=${KW_DIR:-${TMPDIR:-/tmp}/kalvor-wayland-app}
# A user of its own: stopping a session ends every process of its user.
export KW_USER=${KW_USER:-kalvor-wl-app}
BODY=app-e2e-body.sh
. "$HERE/scenarios.sh"

require_tools mutter pipewire wireplumber /usr/libexec/xdg-desktop-portal \
    /usr/libexec/xdg-desktop-portal-gnome dbus-daemon wl-paste wl-copy
if ! compgen -G '/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so' > /dev/null; then
    echo "missing Qt's Wayland platform (qt6-wayland): scripts/test.sh installs it"
    echo "0 passed, 1 failed"
    exit 1
fi

# KW_SCENARIOS picks some, by name.
for name in ${KW_SCENARIOS:-print scaled window}; do
    case $name in
    scaled) scenario 2560x1440 scaled "$KALVOR" "$MODULE" "$PAINTER" "$PROBE" ;;
    *) scenario 1280x720 "$name" "$KALVOR" "$MODULE" "$PAINTER" "$PROBE" ;;
    esac
done
report "kalvor on wayland e2e"
