#!/usr/bin/env bash
# The benchmarks: a Release build in build/bench, then one of them.
#   bench/run_bench.sh [ARGS]         bench_update: one whole update, per record and CLI costs
#   bench/run_bench.sh multi [ARGS]   bench_multi: paced time per record; 1, 4 and 8 paced loggers
# Exits non-zero when a goal is missed.  ARGS go to the benchmark (--runs N, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
bench=bench_update
if [ "${1:-}" = multi ]; then
  bench=bench_multi
  shift
fi
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEK2_GUI=OFF \
  -DTARVEK2_TESTS=OFF >/dev/null
cmake --build build/bench -j2 --target "$bench" tarvek2-cli tarvek2-sim
exec "build/bench/bench/$bench" "$@"
