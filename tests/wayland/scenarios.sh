# The runner the Wayland end-to-end scripts share: each scenario in a fresh headless session,
# its checks run as the session's user by a body script, with copies of the programs it can
# read wherever the build lies. Sourced after HERE, KW_DIR and BODY (the body script's name)
# are set, and SESSION for a desktop other than mutter's (session.sh).
SESSION=${SESSION:-$HERE/session.sh}
started=$(date +%s%N)
pass=0
fail=0

# require_tools TOOL...: each one there, or the run ends as one failure.
require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" > /dev/null; then
            echo "missing $tool: scripts/test.sh installs what these tests need"
            echo "0 passed, 1 failed"
            exit 1
        fi
    done
}

# scenario SIZE NAME PROGRAM...: the body's checks for NAME on monitors of SIZE.
scenario() {
    local size=$1 name=$2 t0
    shift 2
    t0=$(date +%s%N)
    KW_SIZE=$size "$SESSION" stop > /dev/null 2>&1
    if ! KW_SIZE=$size "$SESSION" start; then
        echo "FAIL $name: the session did not start"
        fail=$((fail + 1))
        return
    fi
    local bin=$KW_DIR/bin
    rm -rf "$bin" && mkdir -p "$bin"
    cp "$@" "$HERE/desktop.py" "$HERE/checks.sh" "$HERE/$BODY" "$bin/"
    chmod -R a+rX "$bin"
    "$SESSION" run bash "$bin/$BODY" "$name" "$bin" > "$KW_DIR/$name.log" 2>&1
    cat "$KW_DIR/$name.log"
    # What the programs printed, kept past the session (the next one starts with a fresh home).
    rm -rf "$KW_DIR/logs-$name" && cp -r "$KW_DIR/home/e2e-$name" "$KW_DIR/logs-$name" 2> /dev/null
    local counts
    counts=$(tail -n 1 "$KW_DIR/$name.log")
    if [[ $counts =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        pass=$((pass + BASH_REMATCH[1]))
        fail=$((fail + BASH_REMATCH[2]))
        # What each probe received, for a failure to be read from CI's output alone.
        [ "${BASH_REMATCH[2]}" = 0 ] || grep -H '^FRAMES' "$KW_DIR/logs-$name"/*.out 2> /dev/null
    else
        echo "FAIL $name: the scenario ended early"
        fail=$((fail + 1))
    fi
    "$SESSION" stop > /dev/null 2>&1
    echo "scenario $name took $((($(date +%s%N) - t0) / 1000000)) ms"
}

# report WHAT: the totals; logs stay for a failure to be read, a pass leaves nothing behind.
report() {
    echo "$1 took $((($(date +%s%N) - started) / 1000000)) ms"
    echo "$pass passed, $fail failed"
    if [ "$fail" = 0 ]; then rm -rf "$KW_DIR"; else echo "logs kept in $KW_DIR"; fi
    [ "$fail" = 0 ]
}
