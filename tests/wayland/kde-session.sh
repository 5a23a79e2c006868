#!/bin/bash
# A headless KDE Plasma compositor (KWin on its virtual backend, software rendering) with
# PipeWire, WirePlumber and the desktop portal with its KDE backend, run as an ordinary user
# with buses of its own: no display, GPU, systemd or logind needed. The same commands as
# session.sh, so the same scenario runner drives it:
#
#   kde-session.sh start        start it (as root it runs as $KW_USER, created when missing)
#   kde-session.sh stop         end every process it started
#   kde-session.sh run CMD...   run CMD as the session's user, inside the session
#
# Environment: KW_DIR (state; default /tmp/kalvor-kde), KW_USER (kalvor-kde), KW_SIZE
# (the virtual output, 1280x720). Programs in $KW_DIR/bin may use KWin's fake input.
set -u
KW_USER=${KW_USER:-kalvor-kde}
KW_DIR=${KW_DIR:-${TMPDIR:-/tmp}/kalvor-kde}
KW_SIZE=${KW_SIZE:-1280x720}
SELF=$(readlink -f "$0")
RUN=$KW_DIR/run
KW_KEEP_HOME=0
KW_EXTRA_STATE=$KW_DIR/kwin

. "$(dirname "$SELF")/session-lib.sh"

# The session's parent process, as the user: starts the parts in order, stops them in reverse.
session_main() {
    export XDG_RUNTIME_DIR=$RUN HOME=$KW_DIR/home
    export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE XDG_SESSION_DESKTOP=KDE
    export KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
    export XDG_CACHE_HOME=$HOME/.cache XDG_STATE_HOME=$HOME/.local/state
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$RUN/system_bus_socket
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$RUN/bus
    export WAYLAND_DISPLAY=wayland-0
    local pids=()
    start_buses
    start_pipewire || exit 1
    # The packaged kwin_wayland carries a file capability that an exec without it in the
    # bounding set refuses; a copy carries none.
    "$KW_DIR/kwin/kwin_wayland" --virtual --width "${KW_SIZE%x*}" --height "${KW_SIZE#*x}" \
        --socket wayland-0 --no-lockscreen > "$KW_DIR/kwin.log" 2>&1 &
    pids+=($!)
    # `gdbus wait` does not activate the name: a call before the owner is up would start a
    # second copy through bus activation.
    gdbus wait --session --timeout 30 org.kde.KWin || exit 1
    dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE \
        XDG_SESSION_DESKTOP KDE_FULL_SESSION KDE_SESSION_VERSION DBUS_SYSTEM_BUS_ADDRESS HOME \
        XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME > /dev/null 2>&1
    # The backend's dialogs are QtQuick: software rendering, no GPU here.
    local backend
    backend=$(compgen -G '/usr/lib/*/libexec/xdg-desktop-portal-kde' | head -n 1)
    QT_QPA_PLATFORM=wayland QT_QUICK_BACKEND=software "$backend" > "$KW_DIR/portal-kde.log" 2>&1 &
    pids+=($!)
    gdbus wait --session --timeout 20 org.freedesktop.impl.portal.desktop.kde || exit 1
    start_portal
    hold_session '^(XDG_|DBUS_|HOME=|WAYLAND_DISPLAY=|KDE_)'
}

# As the user, before KWin starts: KWin offers its fake-input protocol only to executables
# that a desktop file names in X-KDE-Wayland-Interfaces.
prepare_home() {
    mkdir -p "$KW_DIR/kwin" "$KW_DIR/home/.local/share/applications"
    cp /usr/bin/kwin_wayland "$KW_DIR/kwin/"
    cat > "$KW_DIR/home/.local/share/applications/kalvor-test-kde-input.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Kalvor test input
Exec=$KW_DIR/bin/kalvor-test-kde-input
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input
EOF
}

session_command 13 "$@"
