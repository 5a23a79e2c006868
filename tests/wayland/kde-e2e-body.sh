#!/bin/bash
# The checks on the kalvor program in the KDE session, run as the session's user inside it.
#   kde-e2e-body.sh print BIN
# KWin 5.27 without a GPU records no frame for a monitor's cast, but does for a window's: the
# colours are read through a permission for the full-screen painter's window, which the KDE
# backend restores for Kalvor's request for monitors; the monitor's permission gives the
# pointer alone.
set -u
BIN=$2
. "$BIN/checks.sh"
body_start "$1"

start_input() {
    rm -f "$W/input.in"
    mkfifo "$W/input.in"
    "$BIN/kalvor-test-kde-input" < "$W/input.in" > "$W/input.log" 2>&1 &
    pids+=($!)
    exec 7> "$W/input.in"
    wait_for "$W/input.log" '^READY' 10
}

move() { # move X Y: the pointer, back once KWin has taken it
    request 7 "$W/input.log" MOVED "move $1 $2"
    sleep 0.1 # the cursor metadata follows the move
}

grant() { # grant output X,Y | window ID: a new token, granted, in Kalvor's state folder
    TOKEN=$(cat /proc/sys/kernel/random/uuid)
    "$BIN/kde-desktop.py" grant "$TOKEN" "$1" "$2"
    mkdir -p "$STATE" && echo "$TOKEN" > "$STATE/screencast-token"
}

# kalvor --print OPTIONS... into $W/print.out, .err and .status, with an end if it ever waits
# for a dialog nobody answers; its time goes to $W/times, what it said to $W/prints.err too.
print() {
    local t0
    t0=$(date +%s%N)
    timeout 30 "$BIN/kalvor" --print "$@" > "$W/print.out" 2> "$W/print.err"
    echo $? > "$W/print.status"
    cat "$W/print.err" >> "$W/prints.err"
    echo $((($(date +%s%N) - t0) / 1000000)) >> "$W/times"
}

wiggle() { # the pointer moved a little, as a user's hand does
    local i
    for i in 1 2 3 4; do
        sleep 0.3
        move $((10 + i * 5)) 10
    done
}

print_scenario() {
    start_painter coords
    start_input
    local window
    window=$("$BIN/kde-desktop.py" window painter)
    grant window "$window"
    local token=$TOKEN p x y
    # The corners and inside; the pattern differs at every neighbour, so a pointer position
    # off the hotspot (KWin's cursor image has it at 4,4) reads another colour.
    for p in 0,0 1279,0 0,719 1279,719 300,200 641,360 500,400 1001,601; do
        IFS=, read -r x y <<< "$p"
        move "$x" "$y"
        print --format hex
        check "window cast: --print at $x,$y" "$(cat "$W/print.out")" "$(coords "$x" "$y" | tr a-f A-F)"
    done
    # Restored from the stored permission each time: no dialog (nobody would answer it, the
    # print would end in its timeout with no colour) and the same token kept.
    check "restored: the token file is unchanged" "$(cat "$STATE/screencast-token")" "$token"
    check "restored: nothing on standard error" "$(cat "$W/prints.err")" ""
    sort -n "$W/times" | awk '{t[NR] = $1} END {
        printf "--print through the window cast: %d runs, %d to %d ms, median %d ms\n",
            NR, t[1], t[NR], t[int((NR + 1) / 2)]}'

    # The monitor's cast: the pointer's moves come, no picture ever does.
    grant output 0,0
    move 10 10
    print --format hex &
    wiggle
    wait $!
    check "monitor cast: --print fails, no colour" \
        "$(cat "$W/print.status") $(cat "$W/print.out")" "1 "
    check "monitor cast: said" "$(cat "$W/print.err")" \
        "kalvor: the desktop sends the pointer but no picture"
    echo "--print through the monitor cast: $(tail -n 1 "$W/times") ms"
    # The window on it: told once, and its stream resumed once to ask for a picture, not again
    # every few seconds (KWin 5.27 adds a frame handler at each resume). PipeWire's log has the
    # resumes. Qt's Wayland platform frees not all it holds at exit: leaks are looked for in
    # --print.
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" PIPEWIRE_DEBUG=3 \
        PIPEWIRE_LOG="$W/window-pipewire.log" "$BIN/kalvor" > /dev/null 2> "$W/window.err" &
    local window_pid=$!
    wiggle
    sleep 6 # past a second resume, were there one
    kill -TERM "$window_pid"
    wait "$window_pid"
    check "monitor cast, window: closes cleanly" $? 0
    check "monitor cast, window: said once" \
        "$(grep -c '^kalvor: The desktop sends the pointer but no picture' "$W/window.err")" 1
    check "monitor cast, window: the stream resumed once" \
        "$(grep -c 'idle -> running' "$W/window-pipewire.log")" 1
}

"${NAME}_scenario"
exec 7>&- 2> /dev/null
for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
wait 2> /dev/null
echo "$pass passed, $fail failed"
