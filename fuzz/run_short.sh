#!/usr/bin/env bash
# Builds the fuzz targets with clang (build/fuzz) and runs each one for a
# short while on a copy of its seed corpus, so the repository stays as it is.
# Exits non-zero when a target crashes, hangs or breaks one of its
# properties; the input that did it is kept in build/fuzz/artifacts/.
#
#   fuzz/run_short.sh [SECONDS]      seconds per target, 20 by default
#   FUZZ_TARGETS="session image_file" fuzz/run_short.sh   only these targets
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz"
seconds="${1:-20}"
targets="${FUZZ_TARGETS:-line_to_record header_int image_file session}"
# libFuzzer takes 0 or less as "no time limit".
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: fuzz/run_short.sh [SECONDS], SECONDS a positive whole number" >&2
  exit 2
fi

# shellcheck source=scripts/lib.sh
source "$root/scripts/lib.sh"
install_stage fuzz

CXX=clang++ CC=clang cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARVEK2_FUZZ=ON -DTARVEK2_GUI=OFF -DTARVEK2_TESTS=OFF > "$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }
build_targets=()
for t in $targets; do build_targets+=("fuzz_$t"); done
cmake --build "$build" -j2 --target "${build_targets[@]}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work" # scratch files of the targets go with the rest
artifacts="$build/artifacts"
failed=0
for t in $targets; do
  cp -r "$root/fuzz/corpus/$t" "$work/corpus_$t"
  mkdir -p "$work/artifacts_$t"
  log="$work/$t.log"
  # -timeout: one input that takes this long counts as a hang.
  if "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts_$t/" "$work/corpus_$t" > "$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    corpus="$(ls "$work/corpus_$t" | wc -l)"
    echo "fuzz_$t: ${seconds} s, $runs executions, corpus $corpus inputs, no crash"
  else
    failed=1
    echo "fuzz_$t: FAILED"
    tail -n 60 "$log"
    mkdir -p "$artifacts"
    cp "$work/artifacts_$t"/* "$artifacts/" 2>/dev/null || true
    echo "fuzz_$t: the failing input is in $artifacts/"
  fi
done
exit "$failed"
