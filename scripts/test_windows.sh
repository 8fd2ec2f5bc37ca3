#!/usr/bin/env bash
# Windows stage: builds the Windows programs with mingw-w64 (64-bit in
# build/win64, 32-bit in build/win32), runs the test programs of both under
# Wine, drives real sessions of the Windows tarvek2-cli of both over COM ports
# that Wine maps to Linux pseudo-terminals with the logger simulator (a Linux
# program) on the other end, and works the desktop program tarvek2-update.exe
# of both from outside (scripts/test_windows_gui.sh).  Exits non-zero on any
# failure.
#
# 32-bit programs need Wine's 32-bit loader (wine32:i386), an i386 Linux
# program.  Where the kernel does not run those itself, the stage has QEMU's
# user-mode emulator run them (enable_i386_programs in scripts/lib.sh); where
# that cannot be done either, the stage fails.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
STAGE_START=$SECONDS
# shellcheck source=scripts/lib.sh
source scripts/lib.sh

# --- packages -----------------------------------------------------------------
step "packages"
install_stage windows
step "32-bit Linux programs (Wine's 32-bit loader)"
wine_i386_check

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

step "build the logger simulator (Linux, build/native-for-wine)"
build_sim_for_wine

WIN64=$ROOT/build/win64
WIN32=$ROOT/build/win32

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
unset DISPLAY WAYLAND_DISPLAY

XVFB_PID=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  stop_sims
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
wrun() { wine_run "$@"; }

step "start the simulators and the Wine prefix"
# A display for the tests that make windows (the port watcher's hidden
# window).  Wine's desktop process is started by the first program of the
# prefix and keeps the display it found then: the display comes first.
start_xvfb
start_sim good
PTY_GOOD=$SIM_PTY
GOOD_PID=$SIM_PID
start_sim silent --silent
PTY_SILENT=$SIM_PTY
echo "COM5 -> $PTY_GOOD (simulator), COM6 -> $PTY_SILENT (silent simulator)"
wine_prefix_new "$WORK/prefix"
wine_map_com 5 "$PTY_GOOD"
wine_map_com 6 "$PTY_SILENT"
# A persistent server and Wine's services, started with their output away
# from this script's pipes.
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1
for com in com5:"$PTY_GOOD" com6:"$PTY_SILENT"; do
  link=$(readlink "$WINEPREFIX/dosdevices/${com%%:*}" || true)
  [ "$link" = "${com#*:}" ] || fail "${com%%:*} is not mapped to ${com#*:} (it is '$link')"
done

# The programs must really run: their output proves it.
for build in "$WIN64" "$WIN32"; do
  bits=64
  [ "$build" = "$WIN32" ] && bits=32
  if wrun "$WORK/images$bits.out" 120 "$build/src/cli/tarvek2-cli.exe" images &&
    grep -q 'Tarvek2' "$WORK/images$bits.out"; then
    pass "the $bits-bit tarvek2-cli runs under Wine"
  else
    fail "the $bits-bit tarvek2-cli does not run under Wine"
    cat "$WORK/images$bits.out"
  fi
done

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
for exe in "$WIN64"/tests/*/*_tests.exe "$WIN32"/tests/*/*_tests.exe; do
  name=$(basename "$exe" .exe)
  case $exe in "$WIN32"/*) name="$name (32-bit)" ;; esac
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
    tr -d '\r' <"$out" | grep -E -A8 'Failure' | head -60
    tr -d '\r' <"$out" | grep -E '^\[  FAILED  \]' | sort -u
  fi
done
[ "$TEST_PROGRAMS" -ge 10 ] || fail "only $TEST_PROGRAMS test programs were built"
# The sessions below run without a display, as from a service console: the
# prefix's processes and its desktop end with the display, and start again
# without it.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
kill "$XVFB_PID" 2>/dev/null || true
wait "$XVFB_PID" 2>/dev/null || true
XVFB_PID=""
unset DISPLAY
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1
# The tests that need the simulators' COM ports, the registry and a display
# must have run.
for log in win32_tests win32_tests32-bit; do
  if tr -d '\r' <"$WORK/$log.log" | grep -q 'SKIPPED'; then
    fail "$log skipped tests that this stage sets up:"
    tr -d '\r' <"$WORK/$log.log" | grep -E '^\[  SKIPPED \] [A-Za-z]' | sort -u
  fi
done

# --- sessions of the Windows tarvek2-cli -----------------------------------------
EXPECTED=$(image_blocks firmware/Tarvek2_V2_08_PF21_PR38_BL3_0.txt)
cd "$WORK" # Windows paths of the programs' files lie on Wine's drive Z:

for build in "$WIN64" "$WIN32"; do
  bits=64
  [ "$build" = "$WIN32" ] && bits=32
  step "full update by the $bits-bit tarvek2-cli over COM5 (Win32 serial backend) against the simulator"
  SECONDS_UPDATE=$SECONDS
  rc=0
  wrun "$WORK/update$bits.out" 300 "$build/src/cli/tarvek2-cli.exe" update --port COM5 || rc=$?
  echo "exit $rc after $((SECONDS - SECONDS_UPDATE)) s: $(tr -d '\r' <"$WORK/update$bits.out" | tail -1)"
  # "blocks" holds every block the simulator took since it started: the
  # second program's run is its latest programming run.
  GOT=$(sim_record_list good "$GOOD_PID" lastRunBlocks)
  if [ "$rc" -eq 0 ] && grep -q 'succesfully completed' "$WORK/update$bits.out" &&
    [ -n "$EXPECTED" ] && [ "$GOT" = "$EXPECTED" ]; then
    pass "$bits-bit full update over COM5: exit 0, the simulator got the image's $(echo "$EXPECTED" | tr ',' '\n' | wc -l) records in order, block 0x03DF last"
  else
    fail "$bits-bit full update over COM5 (exit $rc)"
    tail -20 "$WORK/update$bits.out"
    echo "expected blocks: ${EXPECTED:0:200}..."
    echo "written blocks:  ${GOT:0:200}..."
  fi
done
CLI=$WIN64/src/cli/tarvek2-cli.exe

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

step "the Windows session ends during an update: a cancel, with the log file's result line"
# A log-off or shutdown reaches tarvek2-cli through its hidden window's
# WM_ENDSESSION (a program that loads user32 no longer hears of it through the
# console's control handler); "wineboot --end-session" sends it, to the
# windows of a display.
start_sim paced --baud 38400
wine_map_com 7 "$SIM_PTY"
# The prefix's desktop ran without a display so far: it starts again with one.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
start_xvfb
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1
mkdir -p "$WORK/end-logs"
rc=0
wrun "$WORK/end-session.out" 120 "$CLI" update --port COM7 --log-dir end-logs &
END_PID=$!
for _ in $(seq 1 600); do
  grep -q 'Progress [1-9]' "$WORK/end-session.out" 2>/dev/null && break
  sleep 0.1
done
wineboot --end-session >/dev/null 2>&1 || true
wait "$END_PID" || rc=$?
RESULT=$(tail -n1 "$WORK"/end-logs/*.log 2>/dev/null | tr -d '\r')
if [ "$rc" -eq 20 ] && tr -d '\r' <"$WORK/end-session.out" | grep -q 'Process cancelled!$' &&
  grep -q '"result":"cancelled"' <<<"$RESULT"; then
  pass "end of the Windows session: exit 20, \"Process cancelled!\", the log file ends with its result"
else
  fail "end of the Windows session (exit $rc)"
  tr -d '\r' <"$WORK/end-session.out" | tail -5
  echo "log file's last line: $RESULT"
fi
kill "$XVFB_PID" 2>/dev/null || true
wait "$XVFB_PID" 2>/dev/null || true
XVFB_PID=""
unset DISPLAY
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
