#!/usr/bin/env bash
# Runs a command with KALVOR_SMALL_DISK naming a fresh 256 KiB tmpfs, in a private mount
# namespace. Exits 77 (skipped) where mounting is not allowed.
set -u
if [ "${1:-}" != "--inside" ]; then
    if ! unshare -m --propagation private true 2>/dev/null; then
        if [ "$(id -u)" -eq 0 ]; then
            echo "on-small-disk: this system lets no one make a mount namespace; skipped" >&2
        else
            echo "on-small-disk: making a mount namespace needs root; skipped" >&2
        fi
        exit 77
    fi
    exec unshare -m --propagation private "$0" --inside "$@"
fi
shift
disk=$(mktemp -d)
trap 'umount "$disk" 2>/dev/null; rmdir "$disk"' EXIT
if ! mount -t tmpfs -o size=256k tmpfs "$disk"; then
    echo "on-small-disk: cannot mount a tmpfs; skipped" >&2
    exit 77
fi
export KALVOR_SMALL_DISK=$disk
"$@"
