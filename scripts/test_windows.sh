#!/usr/bin/env bash
# Windows stage: builds the Windows programs with mingw-w64 (64-bit in
# build/win64, 32-bit in build/win32), runs the 64-bit test programs under
# Wine, and drives real sessions of the Windows tarvek2-cli over COM ports that
# Wine maps to Linux pseudo-terminals with the logger simulator (a Linux
# program) on the other end.  Exits non-zero on any failure.
#
# Debian's Wine is 64-bit only here: a 32-bit program under it exits 0 without
# running, so the 32-bit programs are built and linked but never run.
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
bash scripts/setup.sh
WIN_PACKAGES=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine)
missing=()
for p in "${WIN_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -q
  $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi

# --- builds -------------------------------------------------------------------
step "build 64-bit Windows programs (build/win64)"
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_GUI=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
cmake --build build/win64 -j2

step "build 32-bit Windows programs (build/win32)"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_GUI=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-i686.cmake
cmake --build build/win32 -j2

# The simulator is the Linux end of the line: a native build of it alone.
step "build the logger simulator (Linux, build/native-for-wine)"
NATIVE=build/native-for-wine
cmake -S . -B "$NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_GUI=OFF -DTARVEK2_TESTS=OFF
cmake --build "$NATIVE" -j2 --target tarvek2-sim
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
  pass "32-bit tarvek2-cli.exe links (built only: Wine here does not run 32-bit programs)"
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

# wine with a time limit; output into files, never into a pipe that a Wine
# service started meanwhile could hold open.
wrun() {
  local limit=$1
  shift
  timeout --kill-after=5 "$limit" wine "$@"
}

# Starts a simulator with the given options; prints its pseudo-terminal path.
start_sim() {
  local name=$1
  shift
  "$SIM" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
  SIM_PIDS+=($!)
  local i
  for i in $(seq 1 100); do
    local path
    path=$(grep -m1 -o '/dev/pts/[0-9]*' "$WORK/$name.out" 2>/dev/null || true)
    if [ -n "$path" ]; then
      echo "$path"
      return 0
    fi
    sleep 0.1
  done
  echo "simulator $name did not start" >&2
  cat "$WORK/$name.err" >&2
  return 1
}

step "start the simulators and the Wine prefix"
PTY_GOOD=$(start_sim good)
PTY_SILENT=$(start_sim silent --silent)
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
if wrun 60 "$CLI" images >"$WORK/images.out" 2>&1 && grep -q 'Tarvek2' "$WORK/images.out"; then
  pass "the 64-bit tarvek2-cli runs under Wine"
else
  fail "the 64-bit tarvek2-cli does not run under Wine"
  cat "$WORK/images.out"
fi

# --- the test programs --------------------------------------------------------
step "Windows test programs under Wine (ctest)"
for t in "$WIN64"/tests/*/*_tests.exe; do
  wrun 60 "$t" --gtest_list_tests >"$WORK/list.out" 2>&1 || true
  n=$(grep -c '^  ' "$WORK/list.out" || true)
  if [ "$n" -gt 0 ]; then
    echo "$(basename "$t"): $n tests"
  else
    fail "$(basename "$t") lists no tests under Wine"
  fi
done
if TARVEK2_TEST_SILENT_PORT=COM6 TARVEK2_TEST_REGISTRY_WRITES=1 \
  ctest --test-dir build/win64 -j2 --no-tests=error --output-on-failure --timeout 120; then
  pass "Windows test programs"
else
  fail "Windows test programs"
fi

step "Windows sessions over COM ports"
# (added below)

step "done"
wineserver -k >/dev/null 2>&1 || true
echo "Windows stage: $((SECONDS - STAGE_START)) s"
echo "windows: $PASSES passed, $FAILURES failed"
[ "$FAILURES" -eq 0 ]
