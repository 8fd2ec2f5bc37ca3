#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEK2_TESTS=OFF >/dev/null
cmake --build build/release
./build/release/src/cli/tarvek2-cli images
