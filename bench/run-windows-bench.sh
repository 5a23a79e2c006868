#!/usr/bin/env bash
# Figures of kalvor.exe under wine on a private Xvfb: start to first paint against a bare Win32
# window, and the CPU share of a still pointer being sampled (kalvor.exe and wineserver).
#   bench/run-windows-bench.sh [BUILD_DIR] [RUNS] [SECONDS]   (a build of scripts/build-windows.sh)
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-windows}
RUNS=${2:-10}
SECONDS_SAMPLED=${3:-10}
WORK=$(mktemp -d)
mkdir "$WORK/tmp"
export TMPDIR=$WORK/tmp # wine's server folder, removed with the rest
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$WORK/display" 2>/dev/null </dev/null &
server=$!
trap 'wineserver -k 2>/dev/null; kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 200); do [ -s "$WORK/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n 1 "$WORK/display")"
wineboot -i </dev/null >/dev/null 2>&1
wineserver -p || true # already up after wineboot: keep it so
stop_bench() { echo "run-windows-bench: $*; no figures" >&2; exit 1; }
mkdir -p "$WORK/app"
cp "$BUILD/kalvor.exe" "$BUILD/tests/win32/kalvor_probe.exe" "$WORK/app/" || stop_bench "not built in $BUILD"
app=$(winepath -w "$WORK/app")
# The program must read the screen before anything it does is measured.
xsetroot -solid '#3366CC'
xdotool mousemove 500 400
printed=$(wine "$WORK/app/kalvor.exe" --print </dev/null 2>&1 | tr -d '\r#' | tr a-f A-F)
[ "$printed" = 3366CC ] || stop_bench "kalvor.exe --print read '$printed' for #3366CC"
echo "kalvor.exe: $(stat -c %s "$BUILD/kalvor.exe") bytes"
echo "kalvor.exe, start to first paint:"
wine "$WORK/app/kalvor_probe.exe" startup "$app\\kalvor.exe" "$RUNS" </dev/null | tr -d '\r'
echo "bare Win32 window, start to first paint:"
wine "$WORK/app/kalvor_probe.exe" startup "$app\\kalvor_probe.exe bare-window" "$RUNS" </dev/null |
    tr -d '\r'

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
wineserver_pid=
# Other wine users may share the machine: ours works in the folder named after our prefix.
server_dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
for pid in $(pgrep wineserver); do
    [ "$(basename "$(readlink "/proc/$pid/cwd")")" = "$server_dir" ] && wineserver_pid=$pid
done
hz=$(getconf CLK_TCK)
# sample_cpu VISIBLE: kalvor.exe started with the loupe panel shown (1) or hidden (0), the CPU
# it and wineserver take over the sampled seconds; the percentage of kalvor.exe in $cpu.
sample_cpu() {
    printf '[Loupe]\r\nVisible=%s\r\n' "$1" >"$WORK/app/Kalvor.ini"
    xdotool mousemove 500 400
    wine "$WORK/app/kalvor.exe" </dev/null >/dev/null 2>&1 &
    wine "$WORK/app/kalvor_probe.exe" wait-window 30 </dev/null >/dev/null ||
        stop_bench "kalvor.exe showed no window in 30 s"
    sleep 1
    local app_pid a0 a1 w0 w1
    app_pid=$(pgrep -f "$WORK/app/kalvor.exe" | head -n 1)
    [ -n "$app_pid" ] && [ -n "$wineserver_pid" ] || stop_bench "kalvor.exe or its wineserver is not running"
    a0=$(ticks "$app_pid")
    w0=$(ticks "$wineserver_pid")
    sleep "$SECONDS_SAMPLED"
    a1=$(ticks "$app_pid")
    w1=$(ticks "$wineserver_pid")
    cpu=$(awk -v a=$((a1 - a0)) -v s="$SECONDS_SAMPLED" -v hz="$hz" 'BEGIN { printf "%.2f", 100 * a / hz / s }')
    awk -v a=$((a1 - a0)) -v w=$((w1 - w0)) -v s="$SECONDS_SAMPLED" -v hz="$hz" -v l="$1" 'BEGIN {
        printf "CPU while sampling a still pointer for %d s, loupe %s: kalvor.exe %.1f %%, wineserver %.1f %% of one core\n",
            s, l ? "shown" : "hidden", 100 * a / hz / s, 100 * w / hz / s }'
    wine "$WORK/app/kalvor_probe.exe" close </dev/null >/dev/null
}
sample_cpu 0
hidden=$cpu
sample_cpu 1
awk -v h="$hidden" -v s="$cpu" 'BEGIN {
    if (h > 0) printf "loupe shown / hidden, kalvor.exe CPU: %.2fx\n", s / h }'
