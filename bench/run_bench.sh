#!/usr/bin/env bash
# The update benchmark: a Release build in build/bench, then bench_update.
# Exits non-zero when a goal is missed.  Arguments go to bench_update
# (--runs N, --echoes N).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEK2_GUI=OFF \
  -DTARVEK2_TESTS=OFF >/dev/null
cmake --build build/bench -j2 --target bench_update tarvek2-cli tarvek2-sim
exec build/bench/bench/bench_update "$@"
