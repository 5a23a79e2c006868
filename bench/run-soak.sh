#!/usr/bin/env bash
# Builds and runs the soak against a private Xvfb: run-soak.sh [seconds] (default 600).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$ROOT/build" --target soak >/dev/null
exec "$ROOT/tests/e2e/with-xvfb.sh" 24 "$ROOT/build/bench/soak" "$@"
