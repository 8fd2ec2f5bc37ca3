#!/usr/bin/env bash
# Installs what is needed and runs every test stage:
#   0. a fresh minimal Debian 12 root: the project's own install steps, then
#      every build tree configured and its third-party headers compiled
#      (scripts/test_fresh_root.sh);
#   1. the whole test suite built with AddressSanitizer and UBSan (ctest);
#   2. the threaded tests (sessions, CLI, simulator, fault matrix, window) under ThreadSanitizer;
#   3. a short run of every fuzz target;
#   4. the Windows programs (mingw-w64) and their tests under Wine;
#   5. the release artefacts: the Debian package installed and removed, the
#      Windows installers run and uninstalled under Wine (scripts/test_release.sh).
# Exits non-zero when any stage fails.  TARVEK2_STAGES="asan fuzz" runs only those.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1

stages="${TARVEK2_STAGES:-fresh asan tsan fuzz windows release}"
failed=()

asan() {
  (source scripts/lib.sh && install_stage asan) &&
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_SANITIZE=ON &&
    cmake --build build/asan &&
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --test-dir build/asan --output-on-failure -j2
}
fresh() { bash scripts/test_fresh_root.sh; }
tsan() { bash scripts/test_tsan.sh; }
fuzz() { bash fuzz/run_short.sh "${TARVEK2_FUZZ_SECONDS:-15}"; }
windows() { bash scripts/test_windows.sh; }
release() { bash scripts/test_release.sh; }

for stage in $stages; do
  echo "==== stage: $stage"
  start=$SECONDS
  if "$stage"; then
    echo "==== stage $stage passed ($((SECONDS - start)) s)"
  else
    echo "==== stage $stage FAILED ($((SECONDS - start)) s)"
    failed+=("$stage")
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "failed stages: ${failed[*]}"
  exit 1
fi
echo "all stages passed: $stages"
