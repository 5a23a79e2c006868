# What the Wayland test scripts check with: counts, one check, waiting for a log line, the test
# painter's coordinate pattern, and the helpers they start. Sourced by each script, which sets
# W (its folder), BIN (where the programs are) and pids (what to stop at the end).
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
