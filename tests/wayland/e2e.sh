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
SESSION=$HERE/session.sh
started=$(date +%s%N)

for tool in mutter pipewire wireplumber /usr/libexec/xdg-desktop-portal \
    /usr/libexec/xdg-desktop-portal-gnome dbus-daemon; do
    if ! command -v "$tool" > /dev/null; then
        echo "missing $tool: scripts/test.sh installs what these tests need"
        echo "0 passed, 1 failed"
        exit 1
    fi
done

pass=0
fail=0
# One scenario in a fresh session: SIZE NAME. The scenario's own checks run as the session's
# user (e2e-body.sh), with copies of the programs it can read wherever the build lies.
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
    cp "$PROBE" "$PAINTER" "$HERE/desktop.py" "$HERE/e2e-body.sh" "$bin/"
    chmod -R a+rX "$bin"
    "$SESSION" run bash "$bin/e2e-body.sh" "$name" "$bin" > "$KW_DIR/$name.log" 2>&1
    cat "$KW_DIR/$name.log"
    # What the programs printed, kept past the session (the next one starts with a fresh home).
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

scenario 1280x720 consent
scenario 2560x1440 scaled
scenario 1280x720,800x600 monitors
echo "wayland e2e took $((($(date +%s%N) - started) / 1000000)) ms"
echo "$pass passed, $fail failed"
# Logs stay for a failure to be read; a passing run leaves nothing behind.
if [ "$fail" = 0 ]; then rm -rf "$KW_DIR"; else echo "logs kept in $KW_DIR"; fi
[ "$fail" = 0 ]
