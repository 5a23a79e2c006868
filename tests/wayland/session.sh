#!/bin/bash
# A headless GNOME compositor (plain mutter) with PipeWire, WirePlumber and the desktop portal,
# run as an ordinary user with buses of its own: no display, GPU, systemd or logind needed.
#
#   session.sh start        start it (as root it runs as $KW_USER, created when missing)
#   session.sh stop         end every process it started
#   session.sh run CMD...   run CMD as the session's user, inside the session
#
# Environment: KW_DIR (state; default /tmp/kalvor-wayland), KW_USER (kalvor-wl),
# KW_SIZE (virtual monitors, 1280x720 or WxH,WxH,...), KW_KEEP_HOME=1 keeps the permission store between runs.
set -u
KW_USER=${KW_USER:-kalvor-wl}
KW_DIR=${KW_DIR:-${TMPDIR:-/tmp}/kalvor-wayland}
KW_SIZE=${KW_SIZE:-1280x720}
KW_KEEP_HOME=${KW_KEEP_HOME:-0}
SELF=$(readlink -f "$0")
RUN=$KW_DIR/run

. "$(dirname "$SELF")/session-lib.sh"

# The session's parent process, as the user: starts the parts in order, stops them in reverse.
session_main() {
    export XDG_RUNTIME_DIR=$RUN HOME=$KW_DIR/home
    export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
    export XDG_CACHE_HOME=$HOME/.cache XDG_STATE_HOME=$HOME/.local/state
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$RUN/system_bus_socket
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$RUN/bus
    export GTK_A11Y=atspi NO_AT_BRIDGE=0 GSETTINGS_BACKEND=dconf WAYLAND_DISPLAY=wayland-0
    local pids=()
    start_buses
    start_pipewire || exit 1
    local monitors=() size
    for size in ${KW_SIZE//,/ }; do monitors+=(--virtual-monitor "$size"); done
    mutter --headless --wayland --no-x11 "${monitors[@]}" > "$KW_DIR/mutter.log" 2>&1 &
    pids+=($!)
    # `gdbus wait` does not activate the name: a call before the owner is up would start a
    # second copy through bus activation.
    gdbus wait --session --timeout 30 org.gnome.Mutter.ScreenCast || exit 1
    dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE \
        XDG_SESSION_DESKTOP DBUS_SYSTEM_BUS_ADDRESS HOME XDG_CONFIG_HOME XDG_DATA_HOME \
        XDG_CACHE_HOME XDG_STATE_HOME GTK_A11Y GSETTINGS_BACKEND > /dev/null 2>&1
    /usr/libexec/xdg-desktop-portal-gnome > "$KW_DIR/portal-gnome.log" 2>&1 & pids+=($!)
    gdbus wait --session --timeout 20 org.freedesktop.impl.portal.desktop.gnome || exit 1
    start_portal
    hold_session '^(XDG_|DBUS_|HOME=|WAYLAND_DISPLAY=|GTK_A11Y=|GSETTINGS_BACKEND=)'
}

session_command 11 "$@"
