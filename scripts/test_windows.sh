#!/usr/bin/env bash
# Windows stage: builds the Windows programs with mingw-w64 (64-bit in
# build/win64, 32-bit in build/win32), runs the test programs of both under
# Wine, drives real sessions of the Windows tarvek2-cli over COM ports that
# Wine maps to Linux pseudo-terminals with the logger simulator (a Linux
# program) on the other end, and works the desktop program tarvek2-update.exe
# from outside (scripts/test_windows_gui.sh).  Exits non-zero on any failure.
#
# 32-bit programs need Wine's 32-bit loader (wine32:i386) and a kernel that
# runs 32-bit Linux programs; where the kernel does not, they are built and
# linked, and their runs are reported as skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
STAGE_START=$SECONDS

step() { printf '\n== %s (%ds)\n' "$*" "$((SECONDS - STAGE_START))"; }
fail() {
  printf 'FAILED: %s\n' "$*" >&2
  FAILURES=$((FAILURES + 1))
}
FAILURES=0
PASSES=0
pass() {
  printf 'ok: %s\n' "$*"
  PASSES=$((PASSES + 1))
}

# --- packages -----------------------------------------------------------------
step "packages"
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
install_stage windows

# --- builds -------------------------------------------------------------------
# No optimisation and no debug information: the quickest build, and the
# statically linked test programs stay small enough to start fast under Wine.
step "build 64-bit Windows programs and tests (build/win64)"
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE= -DTARVEK2_GUI=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
cmake --build build/win64 -j2

step "build 32-bit Windows programs and tests (build/win32)"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE= -DTARVEK2_GUI=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-i686.cmake
cmake --build build/win32 -j2

# The simulator is the Linux end of the line: a native build of it alone.
step "build the logger simulator (Linux, build/native-for-wine)"
NATIVE=build/native-for-wine
cmake -S . -B "$NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_GUI=OFF -DTARVEK2_TESTS=OFF
cmake --build "$NATIVE" -j2 --target tarvek2-sim tarvek2-write-order
SIM=$ROOT/$NATIVE/sim/tarvek2-sim

WIN64=$ROOT/build/win64
CLI=$WIN64/src/cli/tarvek2-cli.exe

# --- what was built -----------------------------------------------------------
step "check the built programs"
for exe in build/win64/src/cli/tarvek2-cli.exe build/win32/src/cli/tarvek2-cli.exe; do
  [ -f "$exe" ] || fail "$exe was not built"
done
if x86_64-w64-mingw32-objdump -f build/win64/src/cli/tarvek2-cli.exe | grep -q 'pei-x86-64'; then
  pass "64-bit tarvek2-cli.exe is a 64-bit Windows program"
else
  fail "build/win64 tarvek2-cli.exe is no 64-bit Windows program"
fi
if i686-w64-mingw32-objdump -f build/win32/src/cli/tarvek2-cli.exe | grep -q 'pei-i386'; then
  pass "32-bit tarvek2-cli.exe is a 32-bit Windows program"
else
  fail "build/win32 tarvek2-cli.exe is no 32-bit Windows program"
fi
# Linked statically: only system DLLs are imported.
for arch in x86_64:win64 i686:win32; do
  exe=build/${arch#*:}/src/cli/tarvek2-cli.exe
  dlls=$(${arch%%:*}-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' |
    grep -v -x -E 'kernel32.dll|msvcrt.dll|advapi32.dll|user32.dll|ws2_32.dll' || true)
  if [ -z "$dlls" ]; then
    pass "$exe needs no MinGW DLL"
  else
    fail "$exe needs $dlls"
  fi
done

# --- Wine ---------------------------------------------------------------------
WORK=$(mktemp -d /tmp/tarvek2-wine.XXXXXX)
export WINEPREFIX=$WORK/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh
wine_env_setup "$WORK/bin"
SIM_PIDS=()

# The Wine server takes a simulator's pseudo-terminal as its controlling
# terminal, so it is stopped before any simulator goes away.
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for pid in "${SIM_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${SIM_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Runs a Windows program under Wine with a time limit, its output into a
# file (never into a pipe, which a Wine service started meanwhile could hold
# open):  wrun OUT SECONDS PROGRAM ARGS...   Now and then Wine fails to start
# a program at all (exit 1, not a byte of output); only that case is tried
# once more.
wrun() {
  local out=$1 limit=$2 rc
  shift 2
  for _ in 1 2; do
    rc=0
    timeout --kill-after=5 "$limit" wine "$@" >"$out" 2>&1 || rc=$?
    if [ -s "$out" ] || [ "$rc" -eq 0 ]; then break; fi
    echo "$(basename "$1"): Wine did not start it (exit $rc, no output); once more"
  done
  return "$rc"
}

# shellcheck source=scripts/sim_start.sh
source "$ROOT/scripts/sim_start.sh"

step "start the simulators and the Wine prefix"
start_sim good
PTY_GOOD=$SIM_PTY
GOOD_PID=$SIM_PID
start_sim silent --silent
PTY_SILENT=$SIM_PTY
echo "COM5 -> $PTY_GOOD (simulator), COM6 -> $PTY_SILENT (silent simulator)"

wineboot -i >/dev/null 2>&1
# Wine creates its COM devices from this key when its server starts.
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$PTY_GOOD" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM6 /d "$PTY_SILENT" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
# A persistent server and Wine's services, started with their output away
# from this script's pipes.
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1
for com in com5:"$PTY_GOOD" com6:"$PTY_SILENT"; do
  link=$(readlink "$WINEPREFIX/dosdevices/${com%%:*}" || true)
  [ "$link" = "${com#*:}" ] || fail "${com%%:*} is not mapped to ${com#*:} (it is '$link')"
done

# A 64-bit program must really run: its output proves it.
if wrun "$WORK/images.out" 60 "$CLI" images && grep -q 'Tarvek2' "$WORK/images.out"; then
  pass "the 64-bit tarvek2-cli runs under Wine"
else
  fail "the 64-bit tarvek2-cli does not run under Wine"
  cat "$WORK/images.out"
fi

# --- the test programs --------------------------------------------------------
# Each test program runs once, in its build folder (as ctest runs it; the
# developers' `ctest --test-dir build/win64` runs them test by test through
# the toolchain's emulator setting).  Its closing "[  PASSED  ]" line proves
# that it ran.
step "Windows test programs under Wine"
run_test_program() {
  local exe=$1 out=$2
  (cd "$(dirname "$exe")" && TARVEK2_TEST_SILENT_PORT=COM6 TARVEK2_TEST_REGISTRY_WRITES=1 \
    wrun "$out" 300 "$exe" --gtest_color=no)
}
TEST_PROGRAMS=0
TEST_EXES=("$WIN64"/tests/*/*_tests.exe)
if [ "$WINE_RUNS_32BIT" = 1 ]; then
  TEST_EXES+=("$ROOT"/build/win32/tests/*/*_tests.exe)
else
  echo "SKIPPED: the 32-bit test programs: this machine's kernel does not run 32-bit programs"
fi
for exe in "${TEST_EXES[@]}"; do
  name=$(basename "$exe" .exe)
  case $exe in "$ROOT"/build/win32/*) name="$name (32-bit)" ;; esac
  out=$WORK/$(echo "$name" | tr -d ' ()').log
  TEST_PROGRAMS=$((TEST_PROGRAMS + 1))
  rc=0
  run_test_program "$exe" "$out" || rc=$?
  summary=$(tr -d '\r' <"$out" | grep -E '^\[==========\] [0-9]+ tests? from .* ran\.' | tail -1)
  skipped=$(tr -d '\r' <"$out" | sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}.*/\1/p' | tail -1)
  if [ "$rc" -eq 0 ] && tr -d '\r' <"$out" | grep -q '^\[  PASSED  \] [1-9]'; then
    pass "$name: ${summary#\[==========\] }${skipped:+ ($skipped skipped)}"
  else
    fail "$name (exit $rc)"
    tr -d '\r' <"$out" | grep -E -A15 '^\[ RUN|FAILED|Failure' | grep -v '^\[       OK' | tail -60
  fi
done
[ "$TEST_PROGRAMS" -ge 5 ] || fail "only $TEST_PROGRAMS test programs were built"
# The tests that need the simulators' COM ports and the registry must have run.
if tr -d '\r' <"$WORK/win32_tests.log" | grep -q 'SKIPPED'; then
  fail "win32_tests skipped tests that this stage sets up"
fi

# --- sessions of the Windows tarvek2-cli -----------------------------------------
# The blocks of an image in the order the updater writes them (every full
# data record in file order, the vector table last), in decimal and
# comma-separated: worked out by the same image check the session writes from.
image_blocks() {
  "$ROOT/$NATIVE/tools/tarvek2-write-order" "$1"
}

# A list from the simulator's latest record ("blocks" or "lastRunBlocks"):
# SIGUSR1 makes it write the record without ending.
sim_record_list() {
  local name=$1 pid=$2 key=$3 before
  before=$(grep -c '"blocks"' "$WORK/$name.out" || true)
  kill -USR1 "$pid"
  for _ in $(seq 1 50); do
    [ "$(grep -c '"blocks"' "$WORK/$name.out" || true)" -gt "$before" ] && break
    sleep 0.1
  done
  grep '"blocks"' "$WORK/$name.out" | tail -1 | sed -n "s/.*\"$key\":\[\([^]]*\)\].*/\1/p"
}

EXPECTED=$(image_blocks firmware/Tarvek2_V2_08_PF21_PR38_BL3_0.txt)
cd "$WORK" # Windows paths of the programs' files lie on Wine's drive Z:

step "full update over COM5 (Win32 serial backend) against the simulator"
SECONDS_UPDATE=$SECONDS
rc=0
wrun "$WORK/update.out" 300 "$CLI" update --port COM5 || rc=$?
echo "exit $rc after $((SECONDS - SECONDS_UPDATE)) s: $(tr -d '\r' <"$WORK/update.out" | tail -1)"
GOT=$(sim_record_list good "$GOOD_PID" blocks)
if [ "$rc" -eq 0 ] && grep -q 'succesfully completed' "$WORK/update.out" && [ -n "$EXPECTED" ] &&
  [ "$GOT" = "$EXPECTED" ]; then
  pass "full update over COM5: exit 0, the simulator got the image's $(echo "$EXPECTED" | tr ',' '\n' | wc -l) records in order, block 0x03DF last"
else
  fail "full update over COM5 (exit $rc)"
  tail -20 "$WORK/update.out"
  echo "expected blocks: ${EXPECTED:0:200}..."
  echo "written blocks:  ${GOT:0:200}..."
fi

step "silent logger over COM6: communication error after five attempts"
rc=0
TARVEK2_TRACE=$WORK/silent.trace wrun "$WORK/silent-cli.out" 120 "$CLI" update --port COM6 \
  --max-restarts 0 || rc=$?
tr -d '\r' <"$WORK/silent-cli.out"
# Each identify attempt: "+s.mmm TX 81 ..." and the read's end "+s.mmm RX (0 of 8, time-out)".
WAITS=$(tr -d '\r' <"$WORK/silent.trace" | awk '
  / TX 81 / { t = substr($1, 2) + 0; next }
  / RX \(0 of 8, time-out\)/ && t != "" { printf "%d ", (substr($1, 2) - t) * 1000 + 0.5; t = "" }')
echo "read waits (ms): $WAITS"
n=0
bad=0
for w in $WAITS; do
  n=$((n + 1))
  if [ "$w" -lt 200 ] || [ "$w" -gt 600 ]; then bad=$((bad + 1)); fi
done
if [ "$rc" -eq 30 ] && grep -q 'Repeat update because communication error!' "$WORK/silent-cli.out" &&
  [ "$n" -eq 5 ] && [ "$bad" -eq 0 ]; then
  pass "silent logger: exit 30 (communication error), five identify attempts, each read ended after 200..600 ms"
else
  fail "silent logger (exit $rc, $n attempts, $bad reads outside 200..600 ms)"
  tr -d '\r' <"$WORK/silent.trace"
fi

step "port list from the registry's serial device map"
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\VCP0' /d COM5 /f >/dev/null 2>&1
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\Serial0' /d COM1 /f >/dev/null 2>&1
rc=0
wrun "$WORK/ports.out" 60 "$CLI" ports || rc=$?
PORTS=$(tr -d '\r' <"$WORK/ports.out" | paste -sd ' ' -)
echo "ports: $PORTS"
if [ "$rc" -eq 0 ] && [ "$PORTS" = "COM5" ]; then
  pass "ports lists COM5 (\\Device\\VCP0) and leaves out COM1 (\\Device\\Serial0)"
else
  fail "ports (exit $rc): '$PORTS'"
fi

step "internal mode from HKCU\\Software\\Quorvane\\Vorn"
VORN='HKCU\Software\Quorvane\Vorn'
for setting in none 1234 7361; do
  wine reg delete "$VORN" /v intern /f >/dev/null 2>&1 || true
  if [ "$setting" != none ]; then
    wine reg add "$VORN" /v intern /t REG_DWORD /d "$setting" /f >/dev/null 2>&1
  fi
  rc=0
  wrun "$WORK/intern-$setting.out" 300 "$CLI" update --port COM5 --no-check-info || rc=$?
  echo "intern=$setting: exit $rc: $(tr -d '\r' <"$WORK/intern-$setting.out" | tail -1)"
  if [ "$setting" = 7361 ]; then
    GOT=$(sim_record_list good "$GOOD_PID" lastRunBlocks)
    if [ "$rc" -eq 0 ] && [ "$GOT" = "$EXPECTED" ]; then
      pass "intern=7361: update --no-check-info accepted and completed"
    else
      fail "intern=7361: update --no-check-info (exit $rc)"
      tail -20 "$WORK/intern-$setting.out"
    fi
  elif [ "$rc" -eq 2 ]; then
    pass "intern=$setting: update --no-check-info refused with exit 2"
  else
    fail "intern=$setting: update --no-check-info gave exit $rc, not 2"
  fi
done
cd "$ROOT"

wineserver -k >/dev/null 2>&1 || true

step "the desktop program under Wine (scripts/test_windows_gui.sh)"
if bash scripts/test_windows_gui.sh win64 win32; then
  pass "tarvek2-update.exe driven from outside"
else
  fail "tarvek2-update.exe driven from outside"
fi

step "done"
echo "Windows stage: $((SECONDS - STAGE_START)) s"
echo "windows: $PASSES passed, $FAILURES failed"
[ "$FAILURES" -eq 0 ]
