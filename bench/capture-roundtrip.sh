#!/usr/bin/env bash
# The round trip of `kalvor --capture`: from its exec to the clipboard holding the colour, as
# another X client sees it, over repeated runs against a running copy.
#   bench/capture-roundtrip.sh [RUNS] [KALVOR]   (brings its own Xvfb)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != "--inside" ]; then
    exec "$ROOT/tests/e2e/with-xvfb.sh" 24 "$0" --inside "$@"
fi
shift
runs=${1:-50}
kalvor=${2:-$ROOT/build/src/kalvor}
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/bin" && cp "$kalvor" "$work/bin/" # a portable copy: its settings stay there
export XDG_RUNTIME_DIR=$work
"$work/bin/kalvor" 2>/dev/null &
pid=$!
xdotool search --sync --onlyvisible --name '^Kalvor$' >/dev/null
xdotool mousemove 600 450
times=()
for i in $(seq "$runs"); do
    colour=$(printf '#%02X%02X%02X' $((i * 37 % 256)) $((i * 91 % 256)) $((i * 53 % 256)))
    xsetroot -solid "$colour"
    sleep 0.1 # the window samples the new colour
    start=$(date +%s%N)
    "$work/bin/kalvor" --capture || exit 1
    until [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$colour" ]; do :; done
    times+=($((($(date +%s%N) - start) / 1000)))
    "$work/bin/kalvor" --capture || exit 1 # back to sampling
    sleep 0.25
done
printf '%s\n' "${times[@]}" | sort -n | awk -v runs="$runs" '
    { t[NR] = $1; sum += $1 }
    END { printf "kalvor --capture, exec to clipboard, %d runs: min %.1f ms, median %.1f ms, " \
                 "p90 %.1f ms, max %.1f ms, mean %.1f ms\n", runs, t[1] / 1000,
                 t[int((NR + 1) / 2)] / 1000, t[int(NR * 0.9)] / 1000, t[NR] / 1000, sum / NR / 1000 }'
