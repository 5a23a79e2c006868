#!/usr/bin/env bash
# Cost and latency of the Wayland backend in a headless mutter session (as root or a user):
#   - CPU of the compositor, PipeWire and Kalvor's window with the pointer moving at 50 Hz over
#     one colour (no Kalvor; the window; the window holding a colour), over changing colours
#     (no Kalvor; the window), and resting on the window's own code text;
#   - for each frame-rate cap (20, 30, 60, none): the compositor's CPU with the window over
#     changing colours, and the time from a colour committed on screen to a reader ticking
#     every 50 ms, as the window does, reading it.
#   run-wayland-bench.sh [SECONDS_PER_RUN]   (default 10)
# BUILD=DIR builds there (default build/); NO_BUILD=1 takes the programs already built in it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
. "$ROOT/tests/wayland/packages.sh"
ensure_wayland_packages > /dev/null
SECONDS_PER_RUN=${1:-10}
BUILD=${BUILD:-$ROOT/build}
[ -f "$BUILD/CMakeCache.txt" ] ||
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALVOR_WAYLAND=ON > /dev/null
cmake "$BUILD" -DKALVOR_WAYLAND=ON > /dev/null
[ -n "${NO_BUILD:-}" ] || nice cmake --build "$BUILD" --parallel 2 --target kalvor-wayland-probe kalvor-test-painter \
    kalvor > /dev/null

export KW_DIR=${TMPDIR:-/tmp}/kalvor-wayland-bench KW_USER=${KW_USER:-kalvor-wl-bench}
SESSION=$ROOT/tests/wayland/session.sh
"$SESSION" start > /dev/null
trap 'kill $(jobs -p) 2> /dev/null; "$SESSION" stop > /dev/null 2>&1; rm -rf "$KW_DIR"' EXIT
BIN=$KW_DIR/bin
rm -rf "$BIN" && mkdir -p "$BIN"
cp "$BUILD/tests/wayland/kalvor-wayland-probe" "$BUILD/tests/wayland/kalvor-test-painter" \
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

# measure LABEL: CPU % of one core over SECONDS_PER_RUN for mutter, PipeWire and Kalvor.
KALVOR=
measure() {
    local mutter pw m0 p0 s0 m1 p1 s1
    mutter=$(pid_of mutter)
    pw=$(pid_of pipewire)
    m0=$(ticks "$mutter"); p0=$(ticks "$pw"); s0=0
    [ -n "$KALVOR" ] && s0=$(ticks "$KALVOR")
    sleep "$SECONDS_PER_RUN"
    m1=$(ticks "$mutter"); p1=$(ticks "$pw"); s1=0
    [ -n "$KALVOR" ] && s1=$(ticks "$KALVOR")
    awk -v l="$1" -v m=$((m1 - m0)) -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v n="$KALVOR" \
        -v t="$SECONDS_PER_RUN" -v hz="$HZ" 'BEGIN {
        f = 100 / (t * hz)
        printf "%-46s mutter %5.1f%%  pipewire %4.1f%%  kalvor %s\n", l, m * f, p * f,
               n == "" ? "  -" : sprintf("%4.1f%%", s * f) }'
}
mutter_cpu() { measure x | awk '{print $3}'; }

# The window, a portable copy (its settings stay in $BIN); KALVOR_MAX_FPS=N caps its streams.
start_kalvor() {
    in_session env "$@" "$BIN/kalvor" > "$KW_DIR/kalvor.out" 2>&1 &
    KALVOR=$(leaf_of $!)
    sleep 3
}
stop_kalvor() { stop_pid "$KALVOR"; KALVOR=; }
capture() { in_session "$BIN/kalvor" --capture > /dev/null 2>&1; sleep 0.5; }

MOVER=
start_moving() {
    (x=200; while :; do x=$(((x + 7) % 1000 + 100)); echo "move $x $((x / 2 + 100))"; sleep 0.02; done) >&7 &
    MOVER=$!
}
stop_moving() { kill "$MOVER" 2> /dev/null; wait "$MOVER" 2> /dev/null || true; }

echo "CPU, % of one core, ${SECONDS_PER_RUN} s per run (2-core machine, software rendering):"
settle() { sleep 3; } # a new window fades in; the cast starts
paint coords
start_moving
settle
measure "pointer moving over changing colours, no Kalvor"
start_kalvor
measure "pointer moving over changing colours, Kalvor"
stop_kalvor
paint solid 3366cc
settle
measure "pointer moving, no Kalvor"
start_kalvor
measure "pointer moving, Kalvor window"
capture
measure "pointer moving, Kalvor holding a colour"
capture
stop_moving

# The window's own code text, found in the newest frame by a second reader: the first white
# pixel (the red box), 24 pixels below it the code box. The loop needs a pixel that is a glyph
# in one code and not in the next: the column bands after the "#" are tried in turn, and the
# costliest is measured.
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
    measure "pointer resting on Kalvor's code text"
else
    echo "pointer resting on Kalvor's code text: the window was not found (box $box)"
fi
stop_kalvor

# Latency: the painter flips colours every 300 ms and logs each commit; a reader ticking
# every 50 ms, as the window does, logs each change it reads once it is reading.
latency() { # latency CAP: "median p90 max n" in ms, from the painter's and sampler's logs
    paint solid ff8000,0080ff 300
    echo "move 640 360" >&7
    in_session "$BIN/kalvor-wayland-probe" --no-shortcut --every 50 --changes --max-fps "$1" \
        > "$KW_DIR/sampler.out" 2>&1 &
    local sampler
    sampler=$(leaf_of $!)
    for _ in $(seq 200); do grep -q '^SAMPLE.*rgb=#' "$KW_DIR/sampler.out" && break; sleep 0.05; done
    sleep "$SECONDS_PER_RUN"
    stop_pid "$sampler"
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
        if (k == 0) { print "- - - 0"; exit }
        for (a = 1; a <= k; a++) for (b = a + 1; b <= k; b++) if (d[b] < d[a]) { x = d[a]; d[a] = d[b]; d[b] = x }
        p90 = int(k * 0.9 + 0.5); if (p90 < 1) p90 = 1
        printf "%.0f %.0f %.0f %d\n", d[int((k + 1) / 2)], d[p90], d[k], k
    }' "$KW_DIR/painter.out" "$KW_DIR/sampler.out"
}

echo
echo "frame-rate cap: compositor CPU with the window and the pointer moving over one colour,"
echo "then over changing colours; time from a colour painted to a 50 ms tick reading it (ms;"
echo "the window adds its repaint)"
printf '%-6s %8s %8s %8s %8s %8s %4s\n' cap one changing median p90 max n
for cap in 20 30 60 0; do
    paint solid 3366cc
    start_kalvor KALVOR_MAX_FPS=$cap
    start_moving
    one=$(mutter_cpu)
    stop_moving
    stop_kalvor
    paint coords
    start_kalvor KALVOR_MAX_FPS=$cap
    start_moving
    changing=$(mutter_cpu)
    stop_moving
    stop_kalvor
    read -r med p90 max n <<< "$(latency "$cap")"
    printf '%-6s %8s %8s %8s %8s %8s %4s\n' "$([ "$cap" = 0 ] && echo none || echo "$cap")" \
        "$one" "$changing" "$med" "$p90" "$max" "$n"
done
stop_pid "$PAINTER"
