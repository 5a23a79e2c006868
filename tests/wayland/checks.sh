# What the Wayland test scripts check with: counts, one check, waiting for a log line, the test
# painter's coordinate pattern, and the helpers they start. Sourced by each script, which sets
# BIN (where the programs are), and W (its folder) and pids (what to stop at the end) itself
# or through body_start.
pass=0
fail=0

check() { # check WHAT GOT WANT
    if [ "$2" = "$3" ]; then
        pass=$((pass + 1))
        echo "PASS $1"
    else
        fail=$((fail + 1))
        echo "FAIL $1: got '$2', want '$3'"
    fi
}

wait_for() { # wait_for FILE REGEX SECONDS: true once a line matches
    local i
    for ((i = 0; i < $3 * 20; i++)); do
        grep -Eq "$2" "$1" 2> /dev/null && return 0
        sleep 0.05
    done
    return 1
}

# The painter's coordinate pattern at (x, y), as rrggbb.
coords() { printf '%02x%02x%02x' $(($1 & 255)) $(($2 & 255)) $(((($1 >> 8) << 4) | ($2 >> 8))); }

start_painter() {
    [ -n "${PAINTER_PID:-}" ] && kill "$PAINTER_PID" 2> /dev/null && wait "$PAINTER_PID" 2> /dev/null
    "$BIN/kalvor-test-painter" "$@" > "$W/painter.log" 2>&1 &
    PAINTER_PID=$!
    pids+=($PAINTER_PID)
    wait_for "$W/painter.log" '^PAINT' 5
    sleep 0.8 # mutter fades a new window in over about half a second
}

start_input() {
    rm -f "$W/input.in"
    mkfifo "$W/input.in"
    "$BIN/desktop.py" input < "$W/input.in" > "$W/input.log" 2>&1 &
    pids+=($!)
    exec 7> "$W/input.in"
    wait_for "$W/input.log" '^READY' 10
}

# A probe reading commands from a fifo: start_probe NAME [OPTIONS...]; its output is
# $W/NAME.out and its command stream is fd 8.
start_probe() {
    local name=$1
    shift
    rm -f "$W/$name.in" "$W/$name.out"
    mkfifo "$W/$name.in"
    "$BIN/kalvor-wayland-probe" --no-shortcut "$@" < "$W/$name.in" > "$W/$name.out" 2>&1 &
    PROBE_PID=$!
    pids+=($PROBE_PID)
    exec 8> "$W/$name.in"
    PROBE_OUT=$W/$name.out
}

stop_probe() { # a clean exit: no crash on the way out, no sanitizer report
    echo frames >&8
    echo quit >&8
    exec 8>&-
    wait "$PROBE_PID" 2> /dev/null
    check "probe $(basename "$PROBE_OUT" .out) exits cleanly" $? 0
}

# The probe's one read of a square: square X Y R [STEP], as SQUARE prints it.
square() {
    request 8 "$PROBE_OUT" SQUARE "square $*"
    grep '^SQUARE' "$PROBE_OUT" | tail -n 1 | cut -d' ' -f2-
}

# request FD LOG ANSWER LINE: LINE to a helper's command stream FD, back once LOG has one more
# line that starts with ANSWER (or after two seconds).
request() {
    local before
    before=$(grep -c "^$3" "$2")
    echo "$4" >&"$1"
    for _ in $(seq 100); do
        [ "$(grep -c "^$3" "$2")" -gt "$before" ] && break
        sleep 0.02
    done
}

bare_bus() { # bare_bus SOCKET: a session bus there with no services, so no portal to activate
    cat > "$1.conf" << EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:path=$1</listen><auth>EXTERNAL</auth>
 <policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/>
 <allow receive_sender="*"/></policy></busconfig>
EOF
    dbus-daemon --config-file="$1.conf" --nofork --nopidfile &
    pids+=($!)
    for _ in $(seq 100); do [ -S "$1" ] && break; sleep 0.05; done
}

# The start of a scenario body: body_start NAME gives its folder W, Kalvor's state folder and
# an empty pids.
body_start() {
    NAME=$1
    W=$HOME/e2e-$NAME
    mkdir -p "$W"
    STATE=$XDG_STATE_HOME/kalvor
    pids=()
}

# The scaled scenarios' start: pre-granted (a token in the permission store and in Kalvor's
# state folder), the monitor at scale 2 under the coordinate painter, and the input helper.
scaled_start() {
    local token
    token=$(cat /proc/sys/kernel/random/uuid)
    "$BIN/desktop.py" grant "$token"
    mkdir -p "$STATE" && echo "$token" > "$STATE/screencast-token"
    "$BIN/desktop.py" scale 2 > "$W/scale.log"
    check "monitor at scale 2" "$(cat "$W/scale.log")" "scale 2.0"
    start_painter coords --scale 2
    start_input
}
