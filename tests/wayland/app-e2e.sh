#!/bin/bash
# End to end: the kalvor program itself (--print, the window, --capture, Space) on a headless
# mutter session with the real portal, PipeWire and consent dialog, without XWayland.
#   app-e2e.sh KALVOR PAINTER
# Prints PASS/FAIL per check and "N passed, N failed"; exits 1 on any failure.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
KALVOR=$(readlink -f "$1")
PAINTER=$(readlink -f "$2")
export KW_DIR=${KW_DIR:-${TMPDIR:-/tmp}/kalvor-wayland-app}
# A user of its own: stopping a session ends every process of its user.
export KW_USER=${KW_USER:-kalvor-wl-app}
SESSION=$HERE/session.sh
started=$(date +%s%N)

for tool in mutter pipewire wireplumber /usr/libexec/xdg-desktop-portal \
    /usr/libexec/xdg-desktop-portal-gnome dbus-daemon wl-paste wl-copy; do
    if ! command -v "$tool" > /dev/null; then
        echo "missing $tool: scripts/test.sh installs what these tests need"
        echo "0 passed, 1 failed"
        exit 1
    fi
done

if ! compgen -G '/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so' > /dev/null; then
    echo "missing Qt's Wayland platform (qt6-wayland): scripts/test.sh installs it"
    echo "0 passed, 1 failed"
    exit 1
fi

pass=0
fail=0
# One scenario in a fresh session: SIZE NAME, its checks run as the session's user
# (app-e2e-body.sh) with copies of the programs it can read wherever the build lies.
scenario() {
    local size=$1 name=$2 t0
    t0=$(date +%s%N)
    KW_SIZE=$size "$SESSION" stop > /dev/null 2>&1
    if ! KW_SIZE=$size "$SESSION" start; then
        echo "FAIL $name: the session did not start"
        fail=$((fail + 1))
        return
    fi
    local bin=$KW_DIR/bin
    rm -rf "$bin" && mkdir -p "$bin"
    cp "$KALVOR" "$PAINTER" "$HERE/desktop.py" "$HERE/app-e2e-body.sh" "$bin/"
    chmod -R a+rX "$bin"
    "$SESSION" run bash "$bin/app-e2e-body.sh" "$name" "$bin" > "$KW_DIR/$name.log" 2>&1
    cat "$KW_DIR/$name.log"
    rm -rf "$KW_DIR/logs-$name" && cp -r "$KW_DIR/home/e2e-$name" "$KW_DIR/logs-$name" 2> /dev/null
    local counts
    counts=$(tail -n 1 "$KW_DIR/$name.log")
    if [[ $counts =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        pass=$((pass + BASH_REMATCH[1]))
        fail=$((fail + BASH_REMATCH[2]))
    else
        echo "FAIL $name: the scenario ended early"
        fail=$((fail + 1))
    fi
    "$SESSION" stop > /dev/null 2>&1
    echo "scenario $name took $((($(date +%s%N) - t0) / 1000000)) ms"
}

# KW_SCENARIOS picks some, by name.
for name in ${KW_SCENARIOS:-print scaled window}; do
    case $name in
    scaled) scenario 2560x1440 scaled ;;
    *) scenario 1280x720 "$name" ;;
    esac
done
echo "kalvor on wayland e2e took $((($(date +%s%N) - started) / 1000000)) ms"
echo "$pass passed, $fail failed"
# Logs stay for a failure to be read; a passing run leaves nothing behind.
if [ "$fail" = 0 ]; then rm -rf "$KW_DIR"; else echo "logs kept in $KW_DIR"; fi
[ "$fail" = 0 ]
