#!/usr/bin/env bash
# Runs a command against a private X server: with-xvfb.sh [-cc CLASS] DEPTH COMMAND [ARG...]
# The server keeps its state between clients (-noreset) and takes a free display number;
# -cc gives its default visual another class (5: DirectColor).
set -u
class=()
if [ "$1" = -cc ]; then
    class=(-cc "$2")
    shift 2
fi
depth=$1
shift
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "640x480x${depth}" "${class[@]}" -noreset -nolisten tcp 3>"$work/display" \
    2>"$work/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
done
if [ ! -s "$work/display" ]; then
    echo "with-xvfb: Xvfb did not start at depth ${depth}:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
# The user's runtime folder (the capture channel, Qt's own files) goes away with the server.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
"$@"
