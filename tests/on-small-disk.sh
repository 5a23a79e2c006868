#!/usr/bin/env bash
# Runs a command with KALVOR_SMALL_DISK naming a fresh 256 KiB tmpfs, in a private mount
# namespace. Exits 77 (skipped) where mounting is not allowed.
set -u
if [ "${1:-}" != "--inside" ]; then
    if ! unshare -m --propagation private true 2>/dev/null; then
        echo "on-small-disk: cannot make a mount namespace here (needs root); skipped" >&2
        exit 77
    fi
    exec unshare -m --propagation private "$0" --inside "$@"
fi
shift
disk=$(mktemp -d)
if ! mount -t tmpfs -o size=256k tmpfs "$disk"; then
    echo "on-small-disk: cannot mount a tmpfs; skipped" >&2
    exit 77
fi
export KALVOR_SMALL_DISK=$disk
"$@"
