#!/usr/bin/env bash
# Builds with ThreadSanitizer and runs the tests in which threads meet: the
# session thread against its front ends (session, cancel and restart tests,
# tarvek2-cli in-process and end to end, several ports and "station" included:
# every suite of cli_tests and cli_e2e_tests runs), the simulated logger's line thread,
# the fault matrix, and the desktop window's notification and session-state
# tests where the Qt build is there.  Exits non-zero on any failure or race.
#
#   scripts/test_tsan.sh            configure, build and run (build/tsan)
#   TSAN_BUILD_DIR=dir scripts/test_tsan.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${TSAN_BUILD_DIR:-build/tsan}

# shellcheck source=scripts/lib.sh
source scripts/lib.sh
install_stage tsan

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_TSAN=ON -DTARVEK2_GUI=ON \
  -DTARVEK2_SANITIZE=OFF >/dev/null

# The test programs, and the program that the end-to-end tests start.
programs=(session_tests controller_tests cli_tests cli_e2e_tests sim_tests fault_matrix_tests)
# The window's tests, where the Qt build has them: its notifications, its
# session states (cancel, restarts) and a whole update from the window.
qt_programs=(test_ui_notifications test_ui_session_states test_ui_end_to_end)
targets=("${programs[@]}" tarvek2-cli)
cmake --build "$build" -j2 --target "${targets[@]}"
known=$(ninja -C "$build" -t targets all)
for p in "${qt_programs[@]}"; do
  grep -q "^$p:" <<<"$known" || continue
  # The full test run (scripts/test.sh) fails on a window that does not
  # build; here it only leaves the window's tests out, and says so.
  if cmake --build "$build" -j2 --target "$p"; then
    targets+=("$p")
  else
    echo "test_tsan: $p does not build; left out" >&2
  fi
done

# The tests to run, by name: the suites that each GoogleTest program lists,
# and the Qt test programs (one test each, named after the program).
names=()
for p in "${programs[@]}"; do
  exe=$(find "$build/tests" -type f -name "$p" -perm -u+x | head -n1)
  [ -n "$exe" ] || { echo "test_tsan: $p was not built" >&2; exit 1; }
  while IFS= read -r suite; do
    names+=("${suite//./\\.}")
  done < <("$exe" --gtest_list_tests | sed -n 's/^\([^ #][^ ]*\)\.\( .*\)\{0,1\}$/\1/p')
done
regex="^(($(IFS='|'; echo "${names[*]}"))\\."
for p in "${targets[@]}"; do
  case "$p" in test_ui_*) regex+="|$p$" ;; esac
done
regex="$regex)"

# Qt's own libraries are not built with ThreadSanitizer: what they do inside
# is ignored for those libraries only (scripts/tsan.supp).  Our code stays
# fully checked.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp"
export QT_QPA_PLATFORM=offscreen

start=$(date +%s)
ctest --test-dir "$build" --output-on-failure -j2 -R "$regex"
echo "test_tsan: passed in $(($(date +%s) - start)) s"
