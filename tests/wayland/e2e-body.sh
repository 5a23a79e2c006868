#!/bin/bash
# The checks of one e2e scenario, run as the session's user inside the session.
#   e2e-body.sh consent|scaled BIN
set -u
BIN=$2
. "$BIN/checks.sh"
body_start "$1"

# The newest SAMPLE answer after asking for one: "x,y rrggbb" (none for a failed read).
sample() {
    request 8 "$PROBE_OUT" SAMPLE sample
    grep '^SAMPLE' "$PROBE_OUT" | tail -n 1 | sed -E 's/.* pos=([^ ]*) rgb=#?(.*)/\1 \2/'
}

# Moves the pointer and answers what the probe reads once it has seen the move:
# sample_at X Y [MONITOR POSITION], X and Y in that monitor's pixels, POSITION where the
# backend puts that point (X,Y on the first monitor).
sample_at() {
    echo "move $1 $2 ${3:-0}" >&7
    local got want=${4:-$1,$2}
    for _ in $(seq 200); do # up to 10 s: a loaded machine is slow to send the first frame
        got=$(sample)
        # The first full frame may follow the first cursor update.
        [ "${got%% *}" = "$want" ] && [ "${got#* }" != none ] && break
        sleep 0.05
    done
    echo "$got"
}

# Full frames received so far.
full_frames() {
    request 8 "$PROBE_OUT" FRAMES frames
    grep '^FRAMES' "$PROBE_OUT" | tail -n 1 | sed -E 's/.*full=([0-9]+).*/\1/'
}

status_of() { grep '^STATUS' "$1" | tail -n 1 | cut -d' ' -f2; }

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

check_points() { # check_points LABEL X,Y...
    local label=$1 p
    shift
    for p in "$@"; do
        check "$label colour at $p" "$(sample_at "${p%,*}" "${p#*,}")" "$p $(coords "${p%,*}" "${p#*,}")"
    done
}

consent_scenario() {
    start_painter coords
    start_input
    # First start: no stored permission, the desktop's dialog answered as a user would.
    start_probe first
    wait_for "$PROBE_OUT" '^STATUS asking-consent' 10
    check "first start asks for consent" "$(status_of "$PROBE_OUT")" asking-consent
    "$BIN/desktop.py" consent > "$W/consent.log" 2>&1
    check "the dialog was answered" $? 0
    wait_for "$PROBE_OUT" '^STATUS sampling' 10
    check "sampling after consent" "$(status_of "$PROBE_OUT")" sampling
    check "restore token kept in the state folder" "$([ -s "$STATE/screencast-token" ] && echo yes)" yes
    check_points "coords" 0,0 1279,0 0,719 1279,719 300,200 777,555 641,360

    # Live: the colour under a still pointer changes on screen.
    start_painter solid ff8000,0080ff 300
    local seen="" i
    for i in $(seq 40); do
        seen="$seen $(sample | cut -d' ' -f2)"
        sleep 0.05
    done
    check "live update shows ff8000" "$(echo "$seen" | grep -c ff8000)" 1
    check "live update shows 0080ff" "$(echo "$seen" | grep -c 0080ff)" 1
    stop_probe

    # Second start: the stored token restores the permission, nothing is asked.
    start_painter solid 3366cc
    start_probe restore
    wait_for "$PROBE_OUT" '^STATUS sampling' 15
    check "restore reaches sampling" "$(status_of "$PROBE_OUT")" sampling
    check "restore never asks" "$(grep -c asking-consent "$PROBE_OUT")" 0
    check "restored colour" "$(sample_at 100 100)" "100,100 3366cc"

    # Paused, as for a held colour or a minimised window: nothing is sent, nothing is read.
    # Resumed, the first read shows the screen as it is now, not the picture from before.
    echo pause >&8
    sleep 0.5
    local paused
    paused=$(full_frames)
    start_painter solid 00aa55
    check "paused: the compositor sends nothing" "$(full_frames)" "$paused"
    check "paused: nothing is read" "$(sample | cut -d' ' -f2)" none
    echo full >&8
    local got reads=""
    for _ in $(seq 100); do
        got=$(sample)
        reads="$reads ${got#* }"
        [ "${got#* }" != none ] && break
        sleep 0.05
    done
    check "resumed: the first colour read is the screen of now" "$got" "100,100 00aa55"
    check "resumed: nothing from before the pause was read" "$(echo "$reads" | grep -c 3366cc)" 0
    # Over the window itself, under a screen repainting at 60 Hz: a few frames a second while
    # the pointer moves over it, none once it rests there.
    start_painter solid 3366cc,336633 16
    echo slow >&8
    sleep 0.5
    paused=$(full_frames)
    local i
    for i in $(seq 20); do echo moved >&8; sleep 0.1; done
    local slow=$(($(full_frames) - paused))
    check "slow, moving: 2 to 12 frames in 2 s (got $slow)" "$((slow >= 2 && slow <= 12))" 1
    sleep 0.5 # past the rest after the last move's frame
    paused=$(full_frames)
    sleep 2
    slow=$(($(full_frames) - paused))
    check "slow, resting: no frame in 2 s (got $slow)" "$slow" 0
    echo full >&8
    start_painter solid 3366cc

    # The pointer crossing one colour: mutter sends a whole picture for each move; after half
    # a second of pictures with nothing new the streams coast (a frame or three a second), and
    # a capture still reads the pointer where it is now.
    local x coasting
    for x in $(seq 100 4 500); do echo "move $x 300 0" >&7; sleep 0.02; done
    coasting=$(full_frames)
    for x in $(seq 504 4 700); do echo "move $x 300 0" >&7; sleep 0.02; done
    coasting=$(($(full_frames) - coasting))
    check "crossing one colour: 1 to 8 frames in about a second (got $coasting)" \
        "$((coasting >= 1 && coasting <= 8))" 1
    echo "move 717 311 0" >&7
    sleep 0.05
    echo refresh >&8
    check "coasting: a capture reads where the pointer is now" "$(sample)" "717,311 3366cc"

    # Refusal, then a second ask that is granted.
    start_probe refuse --state-dir "$W/no-token"
    wait_for "$PROBE_OUT" '^STATUS asking-consent' 10
    "$BIN/desktop.py" consent --cancel > "$W/cancel.log" 2>&1
    wait_for "$PROBE_OUT" '^STATUS refused' 10
    check "refusal: status" "$(status_of "$PROBE_OUT")" refused
    check "refusal: the text says how to ask again" \
        "$(grep '^STATUS refused' "$PROBE_OUT" | grep -c 'click the preview to ask again')" 1
    check "refusal: failed read" "$(sample | cut -d' ' -f2)" none
    check "refusal: no token kept" "$([ -e "$W/no-token/screencast-token" ] && echo kept || echo none)" none
    echo ask >&8
    wait_for "$PROBE_OUT" 'asking-consent.*' 10
    "$BIN/desktop.py" consent > "$W/consent2.log" 2>&1
    wait_for "$PROBE_OUT" '^STATUS sampling' 10
    check "asking again after a refusal: granted" "$(status_of "$PROBE_OUT")" sampling
    check "asking again: colour" "$(sample_at 200 100)" "200,100 3366cc"

    # PipeWire dies under a sampling reader: a failed read and a status, no spinning.
    kill "$(cat "$KW_DIR/pipewire.pid")"
    wait_for "$PROBE_OUT" '^STATUS pipewire-died' 5
    check "PipeWire gone: status" "$(status_of "$PROBE_OUT")" pipewire-died
    check "PipeWire gone: failed read" "$(sample | cut -d' ' -f2)" none
    local before
    before=$(cpu_ticks "$PROBE_PID")
    echo ask >&8
    sleep 3
    check "PipeWire gone: asking again stays idle" "$(($(cpu_ticks "$PROBE_PID") - before <= 3))" 1
    echo "     (status after asking again: $(grep '^STATUS' "$PROBE_OUT" | tail -n 1))"
    stop_probe


    # No portal on the bus (a bare bus without service files): said so, read fails, idle.
    bare_bus "$W/bare-bus"
    DBUS_SESSION_BUS_ADDRESS=unix:path=$W/bare-bus start_probe noportal
    wait_for "$PROBE_OUT" '^STATUS portal-missing' 5
    check "no portal: status" "$(status_of "$PROBE_OUT")" portal-missing
    check "no portal: the text names what is missing" \
        "$(grep '^STATUS portal-missing' "$PROBE_OUT" | grep -c 'no screen-sharing portal')" 1
    check "no portal: failed read" "$(sample | cut -d' ' -f2)" none
    before=$(cpu_ticks "$PROBE_PID")
    echo ask >&8
    sleep 2
    check "no portal: asking again stays idle" "$(($(cpu_ticks "$PROBE_PID") - before <= 2))" 1
    check "no portal: still said" "$(status_of "$PROBE_OUT")" portal-missing
    stop_probe
}

scaled_scenario() {
    scaled_start
    start_probe scaled
    wait_for "$PROBE_OUT" '^STATUS sampling' 15
    check "pre-granted start samples without asking" \
        "$(status_of "$PROBE_OUT") $(grep -c asking-consent "$PROBE_OUT")" "sampling 0"
    check_points "scale 2" 0,0 2559,0 0,1439 2559,1439 1001,601 1500,1000
    stop_probe
}

monitors_scenario() {
    # Two monitors side by side (1280x720, then 800x600 at x 1280), both granted beforehand.
    local token
    token=$(cat /proc/sys/kernel/random/uuid)
    "$BIN/desktop.py" grant "$token" 2
    mkdir -p "$STATE" && echo "$token" > "$STATE/screencast-token"
    "$BIN/kalvor-test-painter" solid 3366cc --output 1 > "$W/painter2.log" 2>&1 &
    pids+=($!)
    start_painter coords --output 0
    start_input
    # The compositor sends a still screen once: when that picture is lost, the reader has to
    # get it sent again.
    # Nothing may move meanwhile: a moving pointer is drawn into new pictures.
    echo "move 100 100 0" >&7
    sleep 2
    start_probe lost --drop-frames 3
    wait_for "$PROBE_OUT" '^STATUS sampling' 15
    local got
    for _ in $(seq 100); do
        got=$(sample)
        [ "${got#* }" != none ] && break
        sleep 0.05
    done
    check "first pictures lost: read again" "$got" "100,100 $(coords 100 100)"
    stop_probe
    start_probe monitors
    wait_for "$PROBE_OUT" '^STATUS sampling' 15
    check "two monitors: sampling" "$(status_of "$PROBE_OUT")" sampling
    check "first monitor" "$(sample_at 100 100 0 100,100)" "100,100 $(coords 100 100)"
    check "second monitor, top left" "$(sample_at 10 20 1 1290,20)" "1290,20 3366cc"
    check "second monitor, bottom right" "$(sample_at 799 599 1 2079,599)" "2079,599 3366cc"
    check "back on the first, bottom right" "$(sample_at 1279 719 0 1279,719)" \
        "1279,719 $(coords 1279 719)"
    # One read across the edge: the first monitor's pattern, the second's colour, and nothing
    # below the smaller monitor.
    local edge
    edge="$(coords 1279 598) 3366cc 3366cc $(coords 1279 599) 3366cc 3366cc $(coords 1279 600)"
    check "a square across the edge" "$(square 1280 599 1)" "$edge none none"
    stop_probe
}

"${NAME}_scenario"
exec 7>&- 2> /dev/null
for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
wait 2> /dev/null
echo "$pass passed, $fail failed"
