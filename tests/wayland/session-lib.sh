# What session.sh and kde-session.sh share: running as the session's user, the private buses,
# waiting for the portal, holding the session until it is stopped, and the start, run and stop
# commands. Sourced by each, which sets KW_USER, KW_DIR, KW_SIZE, KW_KEEP_HOME, SELF and RUN and
# defines session_main; it may define prepare_home (run as the user before the session starts)
# and set KW_EXTRA_STATE (a folder of its own cleared at each start).

as_user() {
    local env=(PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 KW_USER="$KW_USER" KW_DIR="$KW_DIR"
               KW_SIZE="$KW_SIZE")
    # Sanitizer settings reach the programs under test.
    local name
    for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
        [ -n "${!name:-}" ] && env+=("$name=${!name}")
    done
    if [ "$(id -u)" = 0 ]; then
        runuser -u "$KW_USER" -- env -i "${env[@]}" "$@"
    else
        env -i "${env[@]}" "$@"
    fi
}

# The compositor and PipeWire look for logind, polkit and rtkit on a system bus: a private one
# that answers nobody is enough for them to carry on. Both buses go onto the caller's pids.
start_buses() {
    cat > "$RUN/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path=$RUN/system_bus_socket</listen>
  <auth>EXTERNAL</auth><policy context="default"><allow user="*"/><allow own="*"/>
  <allow send_destination="*"/><allow receive_sender="*"/></policy>
</busconfig>
EOF
    dbus-daemon --config-file="$RUN/system-bus.conf" --nofork --nopidfile > "$KW_DIR/system-bus.log" 2>&1 &
    pids+=($!)
    dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --nofork --nopidfile > "$KW_DIR/session-bus.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -S "$RUN/bus" ] && [ -S "$RUN/system_bus_socket" ] && break
        sleep 0.05
    done
}

# PipeWire, then WirePlumber once PipeWire listens: WirePlumber gives up at once when it finds
# no PipeWire (a busy machine starts it first), and without it nothing links the portal's
# streams to their readers, so every cast of the session connects and never streams. Returns
# once WirePlumber has published its default-device metadata, false (and said) if it never
# does. Both go onto the caller's pids.
start_pipewire() {
    pipewire > "$KW_DIR/pipewire.log" 2>&1 & pids+=($!)
    echo "${pids[-1]}" > "$KW_DIR/pipewire.pid"
    local i
    for ((i = 0; i < 200; i++)); do [ -S "$RUN/pipewire-0" ] && break; sleep 0.05; done
    wireplumber > "$KW_DIR/wireplumber.log" 2>&1 & pids+=($!)
    for ((i = 0; i < 200; i++)); do
        timeout 5 pw-cli ls Metadata 2> /dev/null | grep -q 'metadata.name = "default"' && return 0
        kill -0 "${pids[-1]}" 2> /dev/null || break
        sleep 0.05
    done
    echo "WirePlumber did not come up: $(tail -n 3 "$KW_DIR/wireplumber.log")"
    return 1
}

# The portal, once its desktop's backend is up, and until it answers for ScreenCast.
start_portal() {
    /usr/libexec/xdg-desktop-portal > "$KW_DIR/portal.log" 2>&1 & pids+=($!)
    gdbus wait --session --timeout 20 org.freedesktop.portal.Desktop || exit 1
    for _ in $(seq 200); do
        gdbus call --session -d org.freedesktop.portal.Desktop -o /org/freedesktop/portal/desktop \
            -m org.freedesktop.DBus.Properties.Get org.freedesktop.portal.ScreenCast version \
            > /dev/null 2>&1 && break
        sleep 0.05
    done
}

# hold_session REGEX: the variables whose lines match go to $KW_DIR/env for `run`; the session
# is ready, and a signal stops its parts in reverse order.
hold_session() {
    env | grep -E "$1" | sed 's/^/export /' > "$KW_DIR/env.new"
    mv "$KW_DIR/env.new" "$KW_DIR/env"
    touch "$KW_DIR/ready"
    stop_all() {
        local i
        for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -TERM "${pids[i]}" 2>/dev/null; done
        wait
        exit 0
    }
    trap stop_all TERM INT HUP
    while :; do wait; sleep 1; done
}

# session_command USAGE_LINES COMMAND [ARGS...]: the script's commands; USAGE_LINES is the last
# line of the script's usage comment.
session_command() {
    local usage=$1
    shift
    case "${1:-}" in
    start)
        local started
        started=$(date +%s%N)
        if [ "$(id -u)" = 0 ]; then
            id "$KW_USER" > /dev/null 2>&1 || useradd -M -d "$KW_DIR/home" -s /bin/bash "$KW_USER"
            mkdir -p "$KW_DIR" && chmod 755 "$KW_DIR" && chown "$KW_USER:" "$KW_DIR"
        else
            mkdir -p "$KW_DIR"
        fi
        rm -rf "$RUN" "$KW_DIR/ready" "$KW_DIR/env" ${KW_EXTRA_STATE:+"$KW_EXTRA_STATE"}
        [ "$KW_KEEP_HOME" = 1 ] || rm -rf "$KW_DIR/home"
        as_user bash -c "umask 077; mkdir -p '$RUN' '$KW_DIR/home'"
        if declare -F prepare_home > /dev/null; then
            as_user bash -c "$(declare -f prepare_home); prepare_home"
        fi
        as_user setsid bash "$SELF" __main > "$KW_DIR/session.log" 2>&1 < /dev/null &
        echo $! > "$KW_DIR/main.pid"
        for _ in $(seq 600); do
            [ -e "$KW_DIR/ready" ] && break
            kill -0 "$(cat "$KW_DIR/main.pid")" 2>/dev/null || break
            sleep 0.1
        done
        if [ ! -e "$KW_DIR/ready" ]; then
            echo "session did not come up; logs in $KW_DIR"
            tail -n 3 "$KW_DIR/session.log"
            "$SELF" stop > /dev/null
            exit 1
        fi
        echo "session up in $((($(date +%s%N) - started) / 1000000)) ms"
        ;;
    __main) session_main ;;
    run)
        shift
        as_user bash -c ". '$KW_DIR/env'; cd '$KW_DIR'; exec \"\$@\"" run "$@"
        ;;
    stop)
        [ -e "$KW_DIR/main.pid" ] || exit 0
        local main p signal left
        main=$(cat "$KW_DIR/main.pid")
        for p in $(pgrep -P "$main" 2>/dev/null) "$main"; do kill -TERM "$p" 2>/dev/null; done
        for _ in $(seq 50); do kill -0 "$main" 2>/dev/null || break; sleep 0.1; done
        # Bus-activated helpers (permission store, accessibility bus, kded, ...) outlive the
        # session's parent; they are this user's only processes.
        if [ "$(id -u)" = 0 ]; then
            for signal in TERM KILL; do
                left=$(ps -u "$KW_USER" -o pid= 2>/dev/null)
                [ -n "$left" ] && kill -"$signal" $left 2>/dev/null
                for _ in $(seq 20); do [ -z "$(ps -u "$KW_USER" -o pid= 2>/dev/null)" ] && break; sleep 0.1; done
            done
        fi
        rm -f "$KW_DIR/main.pid" "$KW_DIR/ready"
        ;;
    *)
        sed -n "2,${usage}p" "$SELF"
        exit 2
        ;;
    esac
}
