#!/usr/bin/env bash
# Builds and runs the start-up benchmark against a private Xvfb: run-startup-bench.sh [runs]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
B=$ROOT/build
cmake -S "$ROOT" -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$B" --target kalvor bare_window startup_bench >/dev/null
exec "$ROOT/tests/e2e/with-xvfb.sh" 24 "$B/bench/startup_bench" "$B/src/kalvor" "$B/bench/bare_window" "$@"
