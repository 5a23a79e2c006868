#!/bin/bash
# The checks of one scenario on the kalvor program, run as the session's user inside the session.
#   app-e2e-body.sh print|scaled|window BIN
set -u
BIN=$2
. "$BIN/checks.sh"
body_start "$1"

# rrggbb in a --print format: html, hex, rgb or lower (html in lower case).
formatted() {
    case $2 in
    html) echo "#${1^^}" ;;
    hex) echo "${1^^}" ;;
    lower) echo "#$1" ;;
    rgb) echo "$((16#${1:0:2})),$((16#${1:2:2})),$((16#${1:4:2}))" ;;
    esac
}

# The seat has no keyboard until the first key, and the clipboard tools need one. (Only where
# they are used: on the monitor at scale 2 the casts that start after it never stream.)
keyboard() { key 42; } # KEY_LEFTSHIFT

input() { # input LINE ANSWER: a line to the input helper, back once it has answered
    request 7 "$W/input.log" "$2" "$1"
}

move() { # move X Y: the pointer, in the first monitor's pixels
    input "move $1 $2" MOVED
    sleep 0.1 # the cursor metadata follows the move
}

key() { # key CODE: pressed and released, evdev code
    input "key $1" KEYED
    sleep 0.2
}

# kalvor --print OPTIONS..., with an end if it ever waits for a dialog nobody answers; what it
# said goes to $W/said.err, and is kept in $W/print.err.
print() {
    timeout 30 "$BIN/kalvor" --print "$@" 2> "$W/said.err"
    local status=$?
    cat "$W/said.err" >> "$W/print.err"
    return $status
}

# check_printed WHAT GOT WANT: a check of the last --print; a failure shows what it said, for
# CI's output alone to tell why.
check_printed() {
    check "$@"
    [ "$2" = "$3" ] || sed 's/^/    said: /' "$W/said.err"
}

# check_prints LABEL X,Y,FORMAT...: the colour --print gives at each point, in each format.
check_prints() {
    local label=$1 p x y format option
    shift
    for p in "$@"; do
        IFS=, read -r x y format <<< "$p"
        option=(--format "$format")
        [ "$format" = lower ] && option=(--format html --lower)
        move "$x" "$y"
        check_printed "$label: --print ${option[*]} at $x,$y" "$(print "${option[@]}")" \
            "$(formatted "$(coords "$x" "$y")" "$format")"
    done
}

# The running window, as a native Wayland window (there is no XWayland): start_window NAME
# [VAR=VALUE...]; its standard error is $W/NAME.err.
start_window() {
    local name=$1
    shift
    # Qt's Wayland platform keeps what went on the clipboard, behind protocol objects it never
    # frees, to the process's end: leaks are looked for in --print and the X11 tests.
    env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$@" "$BIN/kalvor" \
        > "$W/$name.out" 2> "$W/$name.err" &
    WINDOW_PID=$!
    WINDOW_ERR=$W/$name.err
    pids+=($WINDOW_PID)
    for _ in $(seq 100); do
        compgen -G "$XDG_RUNTIME_DIR/kalvor/capture-*wayland-0" > /dev/null && break
        sleep 0.05
    done
    sleep 1.5 # mapped and faded in, the screen cast restored
}

stop_window() {
    kill -TERM "$WINDOW_PID"
    wait "$WINDOW_PID"
    check "$1: the window closes cleanly" $? 0
}

capture() { "$BIN/kalvor" --capture 2>> "$W/capture.err"; }

clipboard() { timeout 5 wl-paste --no-newline --type text 2> /dev/null || echo "(no text to paste)"; }

# What a --capture copies. The clipboard of a fresh window is empty, or holds an earlier
# capture of another colour: the answer shows that this capture copied.
captured() {
    capture || echo "(--capture failed)"
    sleep 0.3
    clipboard
}

said() { grep -c "^kalvor: $2" "$1"; } # said FILE REGEX: how often a stderr line says it

# The window's settings file, where the program looks for it: beside the program where the
# user may write there, in the user's config folder otherwise.
ini_file() {
    if [ -e "$BIN/Kalvor.ini" ] || [ -w "$BIN" ]; then
        echo "$BIN/Kalvor.ini"
    else
        echo "${XDG_CONFIG_HOME:-$HOME/.config}/kalvor/Kalvor.ini"
    fi
}

# The rounded mean of the pattern over the 3x3 square around X Y, as rrggbb.
pattern_mean3() {
    local sums=(0 0 0) dx dy c i
    for dy in -1 0 1; do
        for dx in -1 0 1; do
            c=$(coords $(($1 + dx)) $(($2 + dy)))
            for i in 0 1 2; do sums[i]=$((sums[i] + 16#${c:i*2:2})); done
        done
    done
    printf '%02x%02x%02x' $(((sums[0] + 4) / 9)) $(((sums[1] + 4) / 9)) $(((sums[2] + 4) / 9))
}

# The first pixel of colour RRGGBB in the cast, row by row, that is not the painter's own pixel
# of it at X,Y: find_shown RRGGBB X Y WIDTH HEIGHT.
find_shown() {
    local hit
    hit=$(found "$1 0 0 $(($4 - 1)) $(($5 - 1))")
    if [ "$hit" = "$2,$3" ]; then
        hit=$(found "$1 $(($2 + 1)) $3 $(($4 - 1)) $3")
        [ "$hit" = none ] && hit=$(found "$1 0 $(($3 + 1)) $(($4 - 1)) $(($5 - 1))")
    fi
    echo "$hit"
}

found() { # found RRGGBB X0 Y0 X1 Y1: the probe's answer
    request 8 "$PROBE_OUT" FOUND "find $1"
    grep '^FOUND' "$PROBE_OUT" | tail -n 1 | cut -d' ' -f2
}

# The window with its loupe shown, over the coordinate painter on a 1280x720 desktop at SCALE
# (native pixels per window pixel), read from the screen cast by a probe of its own:
# check_loupe LABEL X Y SCALE, the pointer at X,Y.
check_loupe() {
    # At zoom 8 the loupe shows 15 x 15 blocks: 7 pixels on each side of the centre.
    local label=$1 x=$2 y=$3 scale=$4 zoom=8 reach=7 ini token hit block fx fy want=() dx dy
    ini=$(ini_file)
    mkdir -p "$(dirname "$ini")"
    printf '[Loupe]\nVisible=1\nZoom=%d\n' "$zoom" > "$ini"
    token=$(cat /proc/sys/kernel/random/uuid)
    "$BIN/desktop.py" grant "$token"
    mkdir -p "$W/probe-state" && echo "$token" > "$W/probe-state/screencast-token"
    start_window loupe
    move "$x" "$y"
    start_probe loupe --state-dir "$W/probe-state"
    wait_for "$PROBE_OUT" '^STATUS sampling' 10
    # The loupe's top left block shows the pattern at (x - reach, y - reach): its first pixel
    # of that colour lies just inside the block's grid line.
    block=$(coords $((x - reach)) $((y - reach)))
    for _ in $(seq 20); do
        hit=$(find_shown "$block" $((x - reach)) $((y - reach)) $((1280 * scale)) $((720 * scale)))
        [ "$hit" != none ] && break
        sleep 0.5
    done
    echo "     (the loupe's top left block from $hit on)"
    IFS=, read -r fx fy <<< "$hit"
    for ((dy = -reach; dy <= reach; dy++)); do
        for ((dx = -reach; dx <= reach; dx++)); do want+=("$(coords $((x + dx)) $((y + dy)))"); done
    done
    # Each block read at its middle, away from the grid and the outline.
    local middle=$(((reach * zoom + zoom / 2 - 1) * scale)) got=()
    [ "$hit" != none ] &&
        read -ra got <<< "$(square $((fx + middle)) $((fy + middle)) "$reach" $((zoom * scale)))"
    local differ=0 i
    for i in "${!want[@]}"; do [ "${got[i]:-}" = "${want[i]}" ] || differ=$((differ + 1)); done
    check "$label: the loupe found in the cast" "$([ "$hit" != none ] && echo yes)" yes
    check "$label: the loupe's blocks are the pattern around the pointer" \
        "$differ of ${#want[@]} differ" "0 of $(((2 * reach + 1) ** 2)) differ"
    check "$label: the loupe's centre is what --print gives" \
        "#${got[${#want[@]} / 2]:-none}" "$(print --format html --lower)"
    stop_probe
    stop_window "$label"
    rm -f "$ini"
}

print_scenario() {
    start_painter coords
    start_input
    # First --print: the desktop's dialog, answered as a user would; the token is kept.
    move 300 200
    print > "$W/first.out" &
    local printer=$!
    "$BIN/desktop.py" consent > "$W/consent.log" 2>&1
    check "first --print: the dialog was answered" $? 0
    wait "$printer"
    check_printed "first --print: colour after consent" "$(cat "$W/first.out")" \
        "$(formatted "$(coords 300 200)" html)"
    check "restore token kept in the state folder" "$([ -s "$STATE/screencast-token" ] && echo yes)" yes
    # Second: the stored token restores the permission; nothing is asked (an unanswered dialog
    # would end in the timeout, with no colour).
    local t0=$SECONDS
    check_prints "restored" 0,0,html
    check "restored: no dialog, quick" "$((SECONDS - t0 < 10))" 1
    check_prints "coords" 1279,0,hex 0,719,rgb 1279,719,lower 641,360,rgb 777,555,html
    move 256 256
    check "--print --average 3: the pattern's mean" "$(print --average 3 --format hex --lower)" \
        "$(pattern_mean3 256 256)"
    check_loupe "loupe" 1000 600 1

    # Refused: said once on standard error, no colour.
    XDG_STATE_HOME=$W/refused timeout 30 "$BIN/kalvor" --print > "$W/refused.out" \
        2> "$W/refused.err" &
    printer=$!
    "$BIN/desktop.py" consent --cancel > "$W/cancel.log" 2>&1
    wait "$printer"
    check "refused --print: exit status, no colour" "$? $(cat "$W/refused.out")" "1 "
    check "refused --print: said" "$(said "$W/refused.err" 'Reading the screen was not allowed')" 1

    bare_bus "$W/bare-bus"
    DBUS_SESSION_BUS_ADDRESS=unix:path=$W/bare-bus timeout 30 "$BIN/kalvor" --print \
        > "$W/noportal.out" 2> "$W/noportal.err"
    check "no portal --print: exit status, no colour" "$? $(cat "$W/noportal.out")" "1 "
    check "no portal --print: said" "$(said "$W/noportal.err" '.*no screen-sharing portal')" 1

    # The window after a refusal, and with no portal: the hatch, whose capture copies nothing.
    keyboard
    move 100 100
    start_window refused-window XDG_STATE_HOME="$W/refused"
    "$BIN/desktop.py" consent --cancel > "$W/cancel2.log" 2>&1
    wait_for "$WINDOW_ERR" 'not allowed' 5
    check "refused window: the capture copies the empty text" "$(captured)" ""
    check "refused window: said once" "$(said "$WINDOW_ERR" 'Reading the screen was not allowed')" 1
    stop_window "refused window"
    start_window noportal-window DBUS_SESSION_BUS_ADDRESS="unix:path=$W/bare-bus"
    check "no portal window: the capture copies the empty text" "$(captured)" ""
    check "no portal window: said once" "$(said "$WINDOW_ERR" '.*no screen-sharing portal')" 1
    stop_window "no portal window"
}

scaled_scenario() {
    scaled_start
    check_prints "scale 2" 0,0,hex 2559,0,html 0,1439,rgb 2559,1439,lower 1001,601,html
    check_loupe "loupe at scale 2" 2000 1200 2
}

# The painter's next colour: waits for its next commit and answers its rrggbb.
next_paint() {
    local before
    before=$(grep -c '^PAINT' "$W/painter.log")
    for _ in $(seq 100); do
        [ "$(grep -c '^PAINT' "$W/painter.log")" -gt "$before" ] && break
        sleep 0.05
    done
    sleep 0.4 # cast, then read by the window's tick
    grep '^PAINT' "$W/painter.log" | tail -n 1 | sed 's/.*rgb=//'
}

window_scenario() {
    local token colour
    token=$(cat /proc/sys/kernel/random/uuid)
    "$BIN/desktop.py" grant "$token"
    mkdir -p "$STATE" && echo "$token" > "$STATE/screencast-token"
    # The same window shows two colours in turn: a new window would take the focus.
    start_painter solid 3366cc,ff8000 2500
    start_input
    keyboard
    start_window window
    # The compositor reports the pointer once it moves; the window is where mutter puts new
    # windows, near the top left.
    move 1000 600
    colour=$(next_paint)
    check "--capture copies the colour under the pointer" "$(captured)" "$(formatted "$colour" html)"
    check "a second --capture releases" "$(capture && echo ok)" ok
    # Live, and Space while Kalvor has the focus (a new window takes it, and gets it back from
    # the clipboard tools): the colour changed on screen under the still pointer.
    colour=$(next_paint)
    key 57 # KEY_SPACE
    check "Space while focused copies the new colour" "$(clipboard)" "$(formatted "$colour" html)"
    key 57
    check "the window said nothing on standard error" \
        "$(grep -v 'no XWayland here' "$WINDOW_ERR")" ""
    stop_window window
}

"${NAME}_scenario"
exec 7>&- 2> /dev/null
for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
wait 2> /dev/null
echo "$pass passed, $fail failed"
