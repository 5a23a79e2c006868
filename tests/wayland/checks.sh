# What the Wayland test scripts check with: counts, one check, waiting for a log line, and the
# test painter's coordinate pattern. Sourced by each script.
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
