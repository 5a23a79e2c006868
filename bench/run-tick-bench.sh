#!/usr/bin/env bash
# Builds and runs the sampling and loupe benchmark against a private Xvfb:
#   run-tick-bench.sh [rounds] [cpu-seconds] [seconds-each-for-the-program]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$ROOT/build" --target kalvor tick_bench >/dev/null
exec "$ROOT/tests/e2e/with-xvfb.sh" 24 "$ROOT/build/bench/tick_bench" "${1:-5000}" "${2:-10}" \
    "$ROOT/build/src/kalvor" "${3:-20}"
