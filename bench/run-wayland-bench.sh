#!/usr/bin/env bash
# Cost and latency of the Wayland backend in a headless mutter session (as root or a user):
#   - CPU of the compositor, PipeWire and the sampler (kalvor-wayland-probe ticking every 50 ms,
#     as the window does) with the screen and pointer still, the pointer moving at 50 Hz and the
#     screen repainting at 60 Hz, each with and without the sampler;
#   - the same for the Kalvor window itself (the backend plus its repaints), still and moving;
#   - the time from a colour committed on screen to the sampler reading it.
#   run-wayland-bench.sh [SECONDS_PER_RUN]   (default 10)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
. "$ROOT/tests/wayland/packages.sh"
ensure_wayland_packages > /dev/null
SECONDS_PER_RUN=${1:-10}
BUILD=$ROOT/build
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALVOR_WAYLAND=ON > /dev/null
nice cmake --build "$BUILD" --parallel 2 --target kalvor-wayland-probe kalvor-test-painter \
    kalvor > /dev/null

export KW_DIR=${TMPDIR:-/tmp}/kalvor-wayland-bench KW_USER=${KW_USER:-kalvor-wl}
SESSION=$ROOT/tests/wayland/session.sh
"$SESSION" start > /dev/null
trap 'kill $(jobs -p) 2> /dev/null; "$SESSION" stop > /dev/null 2>&1; rm -rf "$KW_DIR"' EXIT
BIN=$KW_DIR/bin
rm -rf "$BIN" && mkdir -p "$BIN"
cp "$BUILD/src/platform/wayland/kalvor-wayland-probe" "$BUILD/tests/wayland/kalvor-test-painter" \
    "$BUILD/src/kalvor" "$ROOT/tests/wayland/desktop.py" "$BIN/"
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
PAINTER=
paint() { # paint ARGS...: replaces the painter
    [ -n "$PAINTER" ] && stop_pid "$PAINTER"
    in_session "$BIN/kalvor-test-painter" "$@" > "$KW_DIR/painter.out" 2>&1 &
    PAINTER=$(leaf_of $!)
    sleep 1
}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2> /dev/null || echo 0; }
HZ=$(getconf CLK_TCK)

# Pre-granted permission, so that no dialog takes part in any run.
token=$(cat /proc/sys/kernel/random/uuid)
in_session "$BIN/desktop.py" grant "$token"
in_session bash -c "mkdir -p \"\$XDG_STATE_HOME/kalvor\" && echo $token > \"\$XDG_STATE_HOME/kalvor/screencast-token\""

paint solid 3366cc
# The pointer: a helper that is fed moves (or nothing) for the whole benchmark.
rm -f "$KW_DIR/moves" && mkfifo "$KW_DIR/moves" && chmod 666 "$KW_DIR/moves"
in_session "$BIN/desktop.py" input < "$KW_DIR/moves" > /dev/null 2>&1 &
exec 7> "$KW_DIR/moves"
echo "move 640 360" >&7
sleep 1

SAMPLER=
start_sampler() { # start_sampler ARGS...: the probe, its output in $KW_DIR/sampler.out
    in_session "$BIN/kalvor-wayland-probe" --no-shortcut "$@" > "$KW_DIR/sampler.out" 2>&1 &
    SAMPLER=$(leaf_of $!)
    for _ in $(seq 100); do
        grep -q '^STATUS sampling' "$KW_DIR/sampler.out" 2> /dev/null && break
        sleep 0.05
    done
    sleep 0.5
}
stop_sampler() { stop_pid "$SAMPLER"; SAMPLER=; }
# What the compositor sent since the sampler started.
frames() {
    kill -USR1 "$SAMPLER" 2> /dev/null || return 0
    sleep 0.2
    printf '%44s buffers since start: %s\n' "" "$(grep '^FRAMES' "$KW_DIR/sampler.out" | tail -n 1 | cut -d' ' -f2-)"
}

MOVER=
start_moving() {
    (x=200; while :; do x=$(((x + 7) % 1000 + 100)); echo "move $x $((x / 2 + 100))"; sleep 0.02; done) >&7 &
    MOVER=$!
}
stop_moving() { kill "$MOVER" 2> /dev/null; wait "$MOVER" 2> /dev/null || true; }

# measure LABEL: CPU % of one core over SECONDS_PER_RUN for mutter, PipeWire and the sampler.
measure() {
    local mutter pw probe m0 p0 s0 m1 p1 s1
    mutter=$(pid_of mutter)
    pw=$(pid_of pipewire)
    probe=$SAMPLER
    m0=$(ticks "$mutter"); p0=$(ticks "$pw"); s0=0
    [ -n "$probe" ] && s0=$(ticks "$probe")
    sleep "$SECONDS_PER_RUN"
    m1=$(ticks "$mutter"); p1=$(ticks "$pw"); s1=0
    [ -n "$probe" ] && s1=$(ticks "$probe")
    awk -v l="$1" -v m=$((m1 - m0)) -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v n="$probe" \
        -v t="$SECONDS_PER_RUN" -v hz="$HZ" 'BEGIN {
        f = 100 / (t * hz)
        printf "%-44s mutter %5.1f%%  pipewire %4.1f%%  sampler %s\n", l, m * f, p * f,
               n == "" ? "  -" : sprintf("%4.1f%%", s * f) }'
}

echo "CPU, % of one core, ${SECONDS_PER_RUN} s per run (2-core machine, software rendering):"
measure "still screen, still pointer, no sampler"
start_sampler --every 50
measure "still screen, still pointer, sampler"
frames
stop_sampler
start_moving
start_sampler --every 50
measure "pointer moving 50 Hz, sampler (20 fps cap)"
frames
stop_sampler
# Under a cap, mutter turns cursor moves that come too soon into full frames a little later.
start_sampler --every 50 --max-fps 60
measure "pointer moving 50 Hz, sampler, 60 fps cap"
frames
stop_sampler
measure "pointer moving 50 Hz, no sampler"
stop_moving
paint solid 3366cc,336633 16
measure "screen repainting 60 Hz, no sampler"
start_sampler --every 50
measure "screen repainting 60 Hz, sampler (20 fps cap)"
frames
stop_sampler
start_sampler --every 50 --max-fps 60
measure "screen repainting 60 Hz, sampler, 60 fps cap"
frames
stop_sampler

# The window itself, on the same backend (a portable copy: its settings stay in $BIN).
paint solid 3366cc
in_session "$BIN/kalvor" > "$KW_DIR/kalvor.out" 2>&1 &
SAMPLER=$(leaf_of $!)
sleep 3
measure "still screen, still pointer, Kalvor window"
start_moving
measure "pointer moving 50 Hz, Kalvor window (20 fps)"
stop_moving
stop_sampler

# Latency: the painter flips colours twice a second and logs each commit; the sampler reads
# every 5 ms and logs each change, so what it adds itself is at most 5 ms. The window's 50 ms
# tick adds up to 50 ms more on top.
paint solid ff8000,0080ff 500
start_sampler --every 5 --changes
sleep "$SECONDS_PER_RUN"
stop_sampler
stop_pid "$PAINTER"
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
        if (k == 0) { print "latency: no change was seen"; exit 1 }
        for (a = 1; a <= k; a++) for (b = a + 1; b <= k; b++) if (d[b] < d[a]) { x = d[a]; d[a] = d[b]; d[b] = x }
        p90 = int(k * 0.9 + 0.5); if (p90 < 1) p90 = 1
        printf "colour change on screen -> sampler reads it: n=%d  median %.1f ms  p90 %.1f ms  max %.1f ms\n",
               k, d[int((k + 1) / 2)], d[p90], d[k]
        print "(the window reads every 50 ms: add up to 50 ms for what it shows)"
    }' "$KW_DIR/painter.out" "$KW_DIR/sampler.out"
