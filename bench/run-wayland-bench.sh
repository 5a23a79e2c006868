#!/usr/bin/env bash
# What the Wayland backend costs the compositor, in a headless session (as root or a user):
#   run-wayland-bench.sh [gnome|kde] [SECONDS_PER_RUN]     (default: gnome, 10 s a row)
# GNOME: mutter casting its monitor. KDE: KWin casting the painter's window (KWin 5.27 without a
# GPU sends no picture of a monitor), from a permission stored as the dialog's "remember" would.
# Rows: CPU of the compositor, PipeWire and the reader with the pointer moving at 50 Hz (clear of
# the window, which both compositors put in the middle) over changing colours and over one
# colour: without a reader, with the least reader of the same cast (tests/wayland/cast-consumer:
# what the compositor costs by itself), with Kalvor's window, and with the window holding a
# colour; and with the pointer resting, without Kalvor and on the window's own code text (GNOME
# only: a window cast does not show Kalvor's window). Each row as a ratio to the same row
# without a reader. Then the time from a colour painted to a reader ticking every 50 ms, as the
# window does, reading it.
# BUILD=DIR builds there (default build/); NO_BUILD=1 takes the programs already built in it.
# It stops, printing no figure, when the Kalvor it measures does not read through the portal.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
. "$ROOT/tests/wayland/packages.sh"
DESKTOP=gnome
case ${1:-} in gnome | kde) DESKTOP=$1 && shift ;; esac
SECONDS_PER_RUN=${1:-10}
stop_bench() { echo "run-wayland-bench: $*; no figures" >&2; exit 1; }

ensure_wayland_packages > /dev/null
BUILD=${BUILD:-$ROOT/build}
[ -f "$BUILD/CMakeCache.txt" ] ||
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALVOR_WAYLAND=ON > /dev/null
cmake "$BUILD" -DKALVOR_WAYLAND=ON > /dev/null
targets=(kalvor kalvor_wayland_module kalvor-wayland-probe kalvor-test-painter kalvor-cast-consumer)
[ "$DESKTOP" = kde ] && targets+=(kalvor-test-kde-input)
[ -n "${NO_BUILD:-}" ] || nice cmake --build "$BUILD" --parallel 2 --target "${targets[@]}" > /dev/null
# The program loads its Wayland backend from beside itself: without it the "Kalvor" rows would
# measure a window that reads nothing.
programs=("$BUILD/src/kalvor" "$BUILD/src/kalvor-wayland.so" "$BUILD/tests/wayland/kalvor-wayland-probe"
          "$BUILD/tests/wayland/kalvor-test-painter" "$BUILD/tests/wayland/kalvor-cast-consumer")
[ "$DESKTOP" = kde ] && programs+=("$BUILD/tests/wayland/kalvor-test-kde-input")
for p in "${programs[@]}"; do [ -e "$p" ] || stop_bench "$p is not built"; done

if [ "$DESKTOP" = kde ]; then
    export KW_DIR=${TMPDIR:-/tmp}/kalvor-kde-bench KW_USER=${KW_USER:-kalvor-kde-bench}
    SESSION=$ROOT/tests/wayland/kde-session.sh COMPOSITOR=kwin_wayland
    INPUT=kalvor-test-kde-input DESKTOP_PY=kde-desktop.py
else
    export KW_DIR=${TMPDIR:-/tmp}/kalvor-wayland-bench KW_USER=${KW_USER:-kalvor-wl-bench}
    SESSION=$ROOT/tests/wayland/session.sh COMPOSITOR=mutter
    INPUT="desktop.py input" DESKTOP_PY=desktop.py
fi
"$SESSION" start > /dev/null || stop_bench "the $DESKTOP session did not start"
trap 'kill $(jobs -p) 2> /dev/null; "$SESSION" stop > /dev/null 2>&1; rm -rf "$KW_DIR"' EXIT
BIN=$KW_DIR/bin
rm -rf "$BIN" && mkdir -p "$BIN"
cp "${programs[@]}" "$ROOT/tests/wayland/$DESKTOP_PY" "$ROOT/tests/wayland/portal-cast.py" "$BIN/"
chmod -R a+rX "$BIN"
if [ "$(id -u)" = 0 ]; then owner=$KW_USER; else owner=$(id -un); fi
in_session() { "$SESSION" run "$@"; }
pid_of() { pgrep -u "$owner" -x "$1" | head -n 1; }
# The program a backgrounded in_session ended up as: the last of the launcher's descendants.
leaf_of() {
    local pid=$1 child
    for _ in $(seq 50); do
        child=$(pgrep -P "$pid" | head -n 1)
        if [ -n "$child" ]; then pid=$child; elif [ "$pid" != "$1" ]; then break; fi
        sleep 0.02
    done
    echo "$pid"
}
stop_pid() { kill "$1" 2> /dev/null || true; while kill -0 "$1" 2> /dev/null; do sleep 0.05; done; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2> /dev/null || echo 0; }
HZ=$(getconf CLK_TCK)

# grant: a permission for what the next Kalvor asks, stored where the portal and Kalvor look
# (GNOME: the monitor; KDE: the painter's window, a new one at each paint).
grant() {
    local token
    token=$(cat /proc/sys/kernel/random/uuid)
    if [ "$DESKTOP" = kde ]; then
        in_session "$BIN/kde-desktop.py" grant "$token" window "$(in_session "$BIN/kde-desktop.py" window painter)"
    else
        in_session "$BIN/desktop.py" grant "$token"
    fi
    in_session bash -c "mkdir -p \"\$XDG_STATE_HOME/kalvor\" && echo $token > \"\$XDG_STATE_HOME/kalvor/screencast-token\""
}
PAINTER=
paint() { # paint ARGS...: replaces the painter
    [ -n "$PAINTER" ] && stop_pid "$PAINTER"
    in_session "$BIN/kalvor-test-painter" "$@" > "$KW_DIR/painter.out" 2>&1 &
    PAINTER=$(leaf_of $!)
    sleep 1
    [ "$DESKTOP" = kde ] && grant
    return 0
}
[ "$DESKTOP" = gnome ] && grant

paint solid 3366cc
# The pointer: a helper that is fed moves (or nothing) for the whole benchmark.
rm -f "$KW_DIR/moves" && mkfifo "$KW_DIR/moves" && chmod 666 "$KW_DIR/moves"
# shellcheck disable=SC2086 # INPUT is a program and its argument
in_session $BIN/$INPUT < "$KW_DIR/moves" > /dev/null 2>&1 &
exec 7> "$KW_DIR/moves"
echo "move 640 360" >&7
sleep 1

# Kalvor must read through the portal before any figure is taken: the colour under the
# pointer, exactly.
printed=$(in_session timeout 30 "$BIN/kalvor" --print --format hex 2> "$KW_DIR/print.err") || true
[ "$printed" = 3366CC ] ||
    stop_bench "kalvor --print read '${printed}' for 3366CC ($(head -n 1 "$KW_DIR/print.err"))"

# measure LABEL [BASE]: CPU % of one core over SECONDS_PER_RUN for the compositor, PipeWire and
# the reader ($KALVOR); with BASE (the compositor's % without a reader), the ratio to it. LAST:
# the compositor's.
KALVOR=
LAST=
measure() {
    local comp pw c0 p0 s0 c1 p1 s1
    comp=$(pid_of "$COMPOSITOR")
    pw=$(pid_of pipewire)
    c0=$(ticks "$comp"); p0=$(ticks "$pw"); s0=0
    [ -n "$KALVOR" ] && s0=$(ticks "$KALVOR")
    sleep "$SECONDS_PER_RUN"
    c1=$(ticks "$comp"); p1=$(ticks "$pw"); s1=0
    [ -n "$KALVOR" ] && s1=$(ticks "$KALVOR")
    LAST=$(awk -v c=$((c1 - c0)) -v t="$SECONDS_PER_RUN" -v hz="$HZ" 'BEGIN { printf "%.1f", c * 100 / (t * hz) }')
    awk -v l="$1" -v c="$LAST" -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v n="$KALVOR" -v b="${2:-}" \
        -v name="$COMPOSITOR" -v t="$SECONDS_PER_RUN" -v hz="$HZ" 'BEGIN {
        f = 100 / (t * hz)
        printf "%-44s %s %5.1f%%  pipewire %4.1f%%  reader %s  %s\n", l, name, c, p * f,
               n == "" ? "  -  " : sprintf("%4.1f%%", s * f),
               b == "" ? "" : (b > 0 ? sprintf("%.1fx", c / b) : (c == 0 ? "1.0x" : "-")) }'
}

# The window, a portable copy (its settings stay in $BIN); it must be streaming from the
# compositor within 10 s, or nothing it would be measured doing is real.
start_kalvor() {
    in_session env "$@" "$BIN/kalvor" > "$KW_DIR/kalvor.out" 2>&1 &
    KALVOR=$(leaf_of $!)
    local i
    for ((i = 0; i < 100; i++)); do
        [ "$(kalvor_streams running)" -gt 0 ] && break
        sleep 0.1
    done
    [ "$i" -lt 100 ] || stop_bench "the window does not stream through the portal ($(head -n 1 "$KW_DIR/kalvor.out"))"
    sleep 2
}
# kalvor_streams STATE: how many of the window's PipeWire nodes are in STATE.
kalvor_streams() {
    in_session pw-dump 2> /dev/null | python3 -c '
import json, sys
pid, state = sys.argv[1], sys.argv[2]
objects = json.load(sys.stdin)
clients = {o["id"] for o in objects if o.get("type") == "PipeWire:Interface:Client"
           and str(o["info"]["props"].get("application.process.id")) == pid}
print(sum(1 for o in objects if o.get("type") == "PipeWire:Interface:Node"
          and o["info"]["props"].get("client.id") in clients and o["info"].get("state") == state))' "$KALVOR" "$1"
}
stop_kalvor() { stop_pid "$KALVOR"; KALVOR=; }
capture() { in_session "$BIN/kalvor" --capture > /dev/null 2>&1; sleep 0.5; }

# least LABEL BASE: the row for the least reader of the same cast, asking what Kalvor asks.
least() {
    in_session "$BIN/portal-cast.py" "$TOKEN_FILE" "$BIN/kalvor-cast-consumer" > "$KW_DIR/least.out" 2>&1 &
    local i
    for ((i = 0; i < 100; i++)); do grep -q '^STREAMING' "$KW_DIR/least.out" && break; sleep 0.1; done
    [ "$i" -lt 100 ] || stop_bench "the least reader does not stream ($(head -n 1 "$KW_DIR/least.out"))"
    KALVOR=$(pgrep -u "$owner" -x kalvor-cast-con | head -n 1)
    sleep 2
    measure "$1" "$2"
    stop_pid "$KALVOR"
    KALVOR=
    sleep 1
}
TOKEN_FILE='$XDG_STATE_HOME/kalvor/screencast-token'
# shellcheck disable=SC2016 # expanded in the session
TOKEN_FILE=$(in_session bash -c "echo $TOKEN_FILE")

# The pointer sweeps the bottom of the screen, clear of the window (mutter puts it near the top
# left, KWin in the middle): crossing it would add the window's own hover repaints and the
# pacing over it to the rows.
MOVER=
start_moving() {
    (x=200; while :; do x=$(((x + 7) % 1000 + 100)); echo "move $x $((x % 200 + 480))"; sleep 0.02; done) >&7 &
    MOVER=$!
}
stop_moving() { kill "$MOVER" 2> /dev/null; wait "$MOVER" 2> /dev/null || true; }

echo "$DESKTOP: CPU, % of one core, ${SECONDS_PER_RUN} s per run (2-core machine, software rendering);"
echo "each row as a ratio to the same row without a reader; \"least\": the least reader of the same cast"
settle() { sleep 3; } # a new window fades in
paint coords
start_moving
settle
measure "pointer moving over changing colours, none"
changing=$LAST
least "pointer moving over changing colours, least" "$changing"
start_kalvor
measure "pointer moving over changing colours, Kalvor" "$changing"
stop_kalvor
paint solid 3366cc
settle
measure "pointer moving over one colour, none"
one=$LAST
least "pointer moving over one colour, least" "$one"
start_kalvor
measure "pointer moving over one colour, Kalvor" "$one"
capture
[ "$(kalvor_streams running)" = 0 ] || echo "(the window's streams still run while it holds)"
measure "pointer moving, Kalvor holding a colour" "$one"
capture
stop_moving
stop_kalvor
settle
measure "pointer resting, none"
resting=$LAST
start_kalvor

# The window's own code text, found in the newest frame by a second reader: the first white
# pixel (the red box), 24 pixels below it the code box. The loop needs a pixel that is a glyph
# in one code and not in the next: the column bands after the "#" are tried in turn, and the
# costliest is measured.
if [ "$DESKTOP" = gnome ]; then
    echo "move 1000 600" >&7
    rm -f "$KW_DIR/finder.in" && mkfifo "$KW_DIR/finder.in" && chmod 666 "$KW_DIR/finder.in"
    in_session "$BIN/kalvor-wayland-probe" --no-shortcut < "$KW_DIR/finder.in" > "$KW_DIR/finder.out" 2>&1 &
    exec 8> "$KW_DIR/finder.in"
    for _ in $(seq 100); do grep -q '^STATUS sampling' "$KW_DIR/finder.out" && break; sleep 0.05; done
    sleep 1
    found() { # found COMMAND: the probe's answer
        local before
        before=$(grep -c '^FOUND' "$KW_DIR/finder.out")
        echo "$1" >&8
        for _ in $(seq 100); do
            [ "$(grep -c '^FOUND' "$KW_DIR/finder.out")" -gt "$before" ] && break
            sleep 0.05
        done
        grep '^FOUND' "$KW_DIR/finder.out" | tail -n 1 | cut -d' ' -f2
    }
    box=$(found "find ffffff 0 0 900 600")
    best=none best_ticks=-1
    if [ "$box" != none ]; then
        IFS=, read -r bx by <<< "$box"
        [ "$by" -lt 450 ] || echo "(the window lies in the pointer's path: the rows above crossed it)"
        for off in 12 20 28 36 44 52 60; do
            echo "move 1000 600" >&7 # the code of the colour beside the window
            sleep 0.5
            glyph=$(found "find dark $((bx + off)) $((by + 26)) $((bx + off + 6)) $((by + 36))")
            [ "$glyph" = none ] && continue
            IFS=, read -r gx gy <<< "$glyph"
            echo "move $gx $gy" >&7
            sleep 0.5
            m0=$(ticks "$(pid_of mutter)")
            sleep 1
            t=$(($(ticks "$(pid_of mutter)") - m0))
            if [ "$t" -gt "$best_ticks" ]; then best=$glyph best_ticks=$t; fi
        done
    fi
    echo quit >&8
    exec 8>&-
    if [ "$best" != none ]; then
        IFS=, read -r gx gy <<< "$best"
        echo "move $gx $gy" >&7
        sleep 1
        measure "pointer resting on Kalvor's code text" "$resting"
    else
        echo "pointer resting on Kalvor's code text: the window was not found (box $box)"
    fi
fi
stop_kalvor

# Latency: the painter flips colours every 300 ms and logs each commit; a reader ticking
# every 50 ms, as the window does, logs each change it reads once it is reading.
paint solid ff8000,0080ff 300
echo "move 640 360" >&7
in_session "$BIN/kalvor-wayland-probe" --no-shortcut --every 50 --changes > "$KW_DIR/sampler.out" 2>&1 &
sampler=$(leaf_of $!)
for _ in $(seq 200); do grep -q '^SAMPLE.*rgb=#' "$KW_DIR/sampler.out" && break; sleep 0.05; done
grep -q '^SAMPLE.*rgb=#' "$KW_DIR/sampler.out" || stop_bench "the reader for the latency read nothing"
sleep "$SECONDS_PER_RUN"
stop_pid "$sampler"
echo
echo "time from a colour painted to a 50 ms tick reading it (ms; the window adds its repaint):"
awk '
/^PAINT/ { split($2, t, "="); split($3, c, "="); paint[++n] = t[2]; colour[n] = c[2] }
/^SAMPLE/ && /rgb=#/ { split($2, t, "="); split($4, c, "="); seen[++m] = t[2]; seencol[m] = substr(c[2], 2) }
END {
    j = 1; k = 0
    for (i = 1; i <= n; i++) {
        if (paint[i] < seen[1]) continue # painted before the sampler was reading
        while (j <= m && seen[j] < paint[i]) j++
        for (q = j; q <= m && (i == n || seen[q] < paint[i + 1]); q++)
            if (seencol[q] == colour[i]) { d[++k] = (seen[q] - paint[i]) / 1e6; break }
    }
    if (k == 0) { print "no change was read"; exit 1 }
    for (a = 1; a <= k; a++) for (b = a + 1; b <= k; b++) if (d[b] < d[a]) { x = d[a]; d[a] = d[b]; d[b] = x }
    p90 = int(k * 0.9 + 0.5); if (p90 < 1) p90 = 1
    printf "median %.0f  p90 %.0f  max %.0f  (%d changes, %d painted)\n", d[int((k + 1) / 2)], d[p90], d[k], k, n
}' "$KW_DIR/painter.out" "$KW_DIR/sampler.out"
stop_pid "$PAINTER"
