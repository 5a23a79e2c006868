#!/bin/bash
# The backend against a stand-in portal (fake-portal.py) on a private bus: no cursor metadata,
# the one-shot picker, global shortcuts, a revoked cast and the token it leaves. No compositor.
#   portal-test.sh PROBE
# Prints PASS/FAIL per check and "N passed, N failed"; exits 1 on any failure.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
PROBE=$(readlink -f "$1")
W=$(mktemp -d "${TMPDIR:-/tmp}/kalvor-portal-test.XXXXXX")
. "$HERE/checks.sh"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2> /dev/null; done; wait 2> /dev/null; rm -rf "$W"' EXIT

# A bus of our own, without service files: only the stand-in answers as the portal.
bare_bus "$W/bus"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$W/bus

# run MODE [PROBE OPTIONS...]: the stand-in in MODE, a probe fed from fd 8.
run() {
    local mode=$1
    shift
    [ -n "${PORTAL_PID:-}" ] && kill "$PORTAL_PID" 2> /dev/null && wait "$PORTAL_PID" 2> /dev/null
    /usr/bin/python3 "$HERE/fake-portal.py" "$mode" > "$W/$mode.portal" 2>&1 &
    PORTAL_PID=$!
    pids+=($PORTAL_PID)
    wait_for "$W/$mode.portal" '^READY' 10
    rm -f "$W/in"
    mkfifo "$W/in"
    "$PROBE" --state-dir "$W/state" "$@" < "$W/in" > "$W/$mode.out" 2>&1 &
    PROBE_PID=$!
    pids+=($PROBE_PID)
    exec 8> "$W/in"
    OUT=$W/$mode.out
}

finish() {
    echo quit >&8
    exec 8>&-
    wait "$PROBE_PID"
    check "$1: probe exits cleanly" $? 0
}

# A desktop whose portal cannot report the pointer (wlroots): said, and a click picks.
run wlroots
wait_for "$OUT" '^STATUS no-cursor-metadata' 5
check "no metadata: status" "$(grep -c '^STATUS no-cursor-metadata .*pick one colour' "$OUT")" 1
echo sample >&8
wait_for "$OUT" '^SAMPLE' 5
check "no metadata: failed read" "$(grep '^SAMPLE' "$OUT" | tail -n 1 | sed 's/.*rgb=//')" none
echo pick >&8
wait_for "$OUT" '^PICKED' 5
echo pick >&8
wait_for "$OUT" '^PICKED none' 5
check "pick: the desktop's colour, then a cancel" "$(grep '^PICKED' "$OUT" | tr '\n' ' ')" \
    "PICKED #3366cc PICKED none "
wait_for "$OUT" '^CAPTURE' 5
check "shortcut bound with the desktop's key" "$(grep -c '^SHORTCUT bound Ctrl+Alt+K' "$OUT")" 1
check "shortcut press reaches the capture handler" "$(grep -c '^CAPTURE' "$OUT")" 1
check "shortcut asked as \"capture\"" "$(grep -c 'BindShortcuts' "$W/wlroots.portal")" 1
finish wlroots

# Consent given, then the desktop stops the cast: revoked, and the token kept for next time.
run revoke --no-shortcut
wait_for "$OUT" '^STATUS revoked' 5
check "revoked: status" "$(grep '^STATUS' "$OUT" | tail -n 1 | cut -d' ' -f2)" revoked
check "revoked: the granted token is kept" "$(cat "$W/state/screencast-token" 2> /dev/null)" granted-1
check "first ask sends no token" "$(grep 'SelectSources' "$W/revoke.portal" | grep -c restore_token)" 0
check "cast asked for monitors, cursor metadata, kept until revoked" \
    "$(grep -m1 'SelectSources' "$W/revoke.portal" | cut -d' ' -f3-)" \
    "cursor_mode=4 multiple=True persist_mode=2 types=1"
echo ask >&8
wait_for "$W/revoke.portal" 'SelectSources.*restore_token' 5
check "asking again restores with the kept token" \
    "$(grep 'SelectSources' "$W/revoke.portal" | tail -n 1 | grep -o 'restore_token=[^ ]*')" \
    restore_token=granted-1
finish revoke

# GlobalShortcuts on the bus with nothing behind it: not taken for a working shortcut.
run hollow-shortcuts
wait_for "$OUT" '^SHORTCUT (bound|unavailable)' 5
check "hollow shortcuts: unavailable" "$(grep '^SHORTCUT' "$OUT" | tail -n 1 | cut -d' ' -f2)" unavailable
finish hollow-shortcuts

echo "$pass passed, $fail failed"
[ "$fail" = 0 ]
