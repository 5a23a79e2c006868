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

as_user() {
    local env=(PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 KW_USER="$KW_USER" KW_DIR="$KW_DIR"
               KW_SIZE="$KW_SIZE")
    # Sanitizer settings reach the programs under test.
    local name
    for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
        [ -n "${!name:-}" ] && env+=("$name=${!name}")
    done
    if [ "$(id -u)" = 0 ]; then
        runuser -u "$KW_USER" -- env -i "${env[@]}" "$@"
    else
        env -i "${env[@]}" "$@"
    fi
}

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
    cat > "$RUN/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path=$RUN/system_bus_socket</listen>
  <auth>EXTERNAL</auth><policy context="default"><allow user="*"/><allow own="*"/>
  <allow send_destination="*"/><allow receive_sender="*"/></policy>
</busconfig>
EOF
    dbus-daemon --config-file="$RUN/system-bus.conf" --nofork --nopidfile > "$KW_DIR/system-bus.log" 2>&1 &
    pids+=($!)
    dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --nofork --nopidfile > "$KW_DIR/session-bus.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -S "$RUN/bus" ] && [ -S "$RUN/system_bus_socket" ] && break
        sleep 0.05
    done
    pipewire > "$KW_DIR/pipewire.log" 2>&1 & pids+=($!)
    wireplumber > "$KW_DIR/wireplumber.log" 2>&1 & pids+=($!)
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
    /usr/libexec/xdg-desktop-portal > "$KW_DIR/portal.log" 2>&1 & pids+=($!)
    gdbus wait --session --timeout 20 org.freedesktop.portal.Desktop || exit 1
    for _ in $(seq 200); do
        gdbus call --session -d org.freedesktop.portal.Desktop -o /org/freedesktop/portal/desktop \
            -m org.freedesktop.DBus.Properties.Get org.freedesktop.portal.ScreenCast version \
            > /dev/null 2>&1 && break
        sleep 0.05
    done
    env | grep -E '^(XDG_|DBUS_|HOME=|WAYLAND_DISPLAY=|KDE_)' | sed 's/^/export /' > "$KW_DIR/env.new"
    mv "$KW_DIR/env.new" "$KW_DIR/env"
    touch "$KW_DIR/ready"
    stop_all() {
        local i
        for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -TERM "${pids[i]}" 2>/dev/null; done
        wait
        exit 0
    }
    trap stop_all TERM INT HUP
    while :; do wait; sleep 1; done
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

case "${1:-}" in
start)
    started=$(date +%s%N)
    if [ "$(id -u)" = 0 ]; then
        id "$KW_USER" > /dev/null 2>&1 || useradd -M -d "$KW_DIR/home" -s /bin/bash "$KW_USER"
        mkdir -p "$KW_DIR" && chmod 755 "$KW_DIR" && chown "$KW_USER:" "$KW_DIR"
    else
        mkdir -p "$KW_DIR"
    fi
    rm -rf "$RUN" "$KW_DIR/ready" "$KW_DIR/env" "$KW_DIR/home" "$KW_DIR/kwin"
    as_user bash -c "umask 077; mkdir -p '$RUN' '$KW_DIR/home'"
    as_user bash -c "$(declare -f prepare_home); prepare_home"
    as_user setsid bash "$SELF" __main > "$KW_DIR/session.log" 2>&1 < /dev/null &
    echo $! > "$KW_DIR/main.pid"
    for _ in $(seq 600); do
        [ -e "$KW_DIR/ready" ] && break
        kill -0 "$(cat "$KW_DIR/main.pid")" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -e "$KW_DIR/ready" ]; then
        echo "session did not come up; logs in $KW_DIR"
        "$SELF" stop > /dev/null
        exit 1
    fi
    echo "session up in $((($(date +%s%N) - started) / 1000000)) ms"
    ;;
__main) session_main ;;
run)
    shift
    as_user bash -c ". '$KW_DIR/env'; cd '$KW_DIR'; exec \"\$@\"" run "$@"
    ;;
stop)
    [ -e "$KW_DIR/main.pid" ] || exit 0
    main=$(cat "$KW_DIR/main.pid")
    for p in $(pgrep -P "$main" 2>/dev/null) "$main"; do kill -TERM "$p" 2>/dev/null; done
    for _ in $(seq 50); do kill -0 "$main" 2>/dev/null || break; sleep 0.1; done
    # Bus-activated helpers (permission store, kded, kglobalaccel, ...) outlive the session's
    # parent; they are this user's only processes.
    if [ "$(id -u)" = 0 ]; then
        for signal in TERM KILL; do
            left=$(ps -u "$KW_USER" -o pid= 2>/dev/null)
            [ -n "$left" ] && kill -"$signal" $left 2>/dev/null
            for _ in $(seq 20); do [ -z "$(ps -u "$KW_USER" -o pid= 2>/dev/null)" ] && break; sleep 0.1; done
        done
    fi
    rm -f "$KW_DIR/main.pid" "$KW_DIR/ready"
    ;;
*)
    sed -n '2,13p' "$SELF"
    exit 2
    ;;
esac
