#!/usr/bin/env bash
# The Windows desktop program under Wine, driven from outside like an
# operator: ui_driver.exe (a Windows program of the project's own, built for
# the same architecture) starts tarvek2-update.exe, finds its windows and
# controls, presses the buttons with window messages and reads what the
# windows show.  The logger is tarvek2-sim on a pseudo-terminal that the Wine
# prefix's dosdevices/com5 link turns into COM5; COM6 is a silent logger.
# Xvfb is the display; every architecture gets a fresh Wine prefix.
#
#   scripts/test_windows_gui.sh [win64] [win32]     (default: both)
#
# Expects the builds of scripts/test_windows.sh (build/win64, build/win32,
# build/native-for-wine) and builds the targets it needs in them.  Exits
# non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
GUI_START=$SECONDS
ARCHS=("$@")
[ "${#ARCHS[@]}" -gt 0 ] || ARCHS=(win64 win32)

FAILURES=0
PASSES=0
SKIPS=0
fail() {
  printf 'FAILED: %s\n' "$*" >&2
  FAILURES=$((FAILURES + 1))
}
pass() {
  printf 'ok: %s\n' "$*"
  PASSES=$((PASSES + 1))
}
step() { printf '\n== %s (%ds)\n' "$*" "$((SECONDS - GUI_START))"; }

SIM=$ROOT/build/native-for-wine/sim/tarvek2-sim
if [ ! -f build/native-for-wine/build.ninja ]; then
  cmake -S . -B build/native-for-wine -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_GUI=OFF \
    -DTARVEK2_TESTS=OFF >/dev/null
fi
cmake --build build/native-for-wine -j2 --target tarvek2-sim tarvek2-write-order

WORK=$(mktemp -d /tmp/tarvek2-wine-gui.XXXXXX)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh
wine_env_setup "$WORK/bin"
SIM_PIDS=()
XVFB_PID=""
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  for pid in "${SIM_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${SIM_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The display: a virtual X server, no window manager.
step "virtual display"
for n in $(seq 80 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  DISPLAY_NUM=$n
  break
done
Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$DISPLAY_NUM" ] && break; sleep 0.1; done
echo "Xvfb on $DISPLAY"

# shellcheck source=scripts/sim_start.sh
source "$ROOT/scripts/sim_start.sh"

# The blocks of an image in the order the updater writes them (every full
# data record in file order, the vector table last), comma-separated.
image_blocks() {
  "$ROOT/build/native-for-wine/tools/tarvek2-write-order" "$1"
}
# The simulator's record now (SIGUSR1): the list under key.
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

# An image file for "File": the print-38 image as version 2.09.
IMAGE=$WORK/Tarvek2_V2_09_test.txt
sed 's/^versionL=8/versionL=9/' firmware/Tarvek2_V2_08_PF21_PR38_BL3_0.txt >"$IMAGE"

# Runs one scenario of the driver; its output goes to a file, then here.
scenario() {
  local arch=$1 name=$2 rc=0
  shift 2
  local out=$WORK/$arch-$name.log
  timeout --kill-after=5 420 wine "$DRIVER" "$name" "$APP" "$@" >"$out" 2>&1 || rc=$?
  tr -d '\r' <"$out" | sed 's/^/   /'
  if [ "$rc" -eq 0 ] && grep -q '^ok:' "$out"; then
    pass "$arch: $name ($(grep -c '^ok:' "$out") checks)"
  else
    fail "$arch: $name (exit $rc, $(grep -c '^FAILED' "$out" || true) checks failed)"
  fi
}

for arch in "${ARCHS[@]}"; do
  BUILD=$ROOT/build/$arch
  step "$arch: build tarvek2-update.exe and ui_driver.exe"
  cmake --build "$BUILD" -j2 --target tarvek2-update ui_driver win32ui_inprocess
  APP=$BUILD/src/win32ui/tarvek2-update.exe
  DRIVER=$BUILD/tests/win32ui/ui_driver.exe
  triplet=x86_64-w64-mingw32
  [ "$arch" = win32 ] && triplet=i686-w64-mingw32
  dlls=$($triplet-objdump -p "$APP" | awk '/DLL Name:/ {print tolower($3)}' |
    grep -v -x -E 'kernel32.dll|msvcrt.dll|advapi32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|shell32.dll' || true)
  if [ -z "$dlls" ]; then
    pass "$arch: tarvek2-update.exe needs no DLL but the system's ($(stat -c %s "$APP") bytes)"
  else
    fail "$arch: tarvek2-update.exe needs $dlls"
  fi
  if $triplet-objdump -s -j .rsrc "$APP" | grep -q 'asInvoker' ||
    strings -el "$APP" | grep -q 'Tarvek2 Firmware Update'; then
    pass "$arch: tarvek2-update.exe carries its manifest and version resource"
  else
    fail "$arch: no manifest or version resource in tarvek2-update.exe"
  fi

  # A 32-bit Windows program needs Wine's 32-bit loader, a Linux i386
  # program: a kernel without 32-bit support cannot run it at all.
  if [ "$arch" = win32 ] && [ "$WINE_RUNS_32BIT" != 1 ]; then
    echo "SKIPPED: $arch: this machine's kernel does not run 32-bit programs" \
      "($(/usr/lib/wine/wine --version 2>&1 | head -1))"
    SKIPS=$((SKIPS + 1))
    continue
  fi

  step "$arch: fresh Wine prefix, simulators on COM5 and COM6"
  export WINEPREFIX=$WORK/prefix-$arch
  [ "$arch" = win32 ] && export WINEARCH=win32 || unset WINEARCH
  wineboot -i >/dev/null 2>&1
  # Without a window manager Wine would wait on every hidden window.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The new prefix settles (its services end) before the first program.
  wineserver -w >/dev/null 2>&1 || true
  start_sim "good-$arch"
  GOOD_PID=$SIM_PID
  ln -sfn "$SIM_PTY" "$WINEPREFIX/dosdevices/com5"
  start_sim "silent-$arch" --silent
  ln -sfn "$SIM_PTY" "$WINEPREFIX/dosdevices/com6"
  echo "COM5 -> $(readlink "$WINEPREFIX/dosdevices/com5"), COM6 -> $(readlink "$WINEPREFIX/dosdevices/com6") (silent)"
  cd "$WORK"

  step "$arch: in-process tests of the windows (menu, layout, report, port box)"
  rc=0
  timeout --kill-after=5 120 wine "$BUILD/tests/win32ui/win32ui_inprocess.exe" --gtest_color=no \
    >"$WORK/$arch-inprocess.log" 2>&1 || rc=$?
  if [ "$rc" -eq 0 ] && tr -d '\r' <"$WORK/$arch-inprocess.log" | grep -q '^\[  PASSED  \] [1-9]'; then
    pass "$arch: win32ui_inprocess: $(tr -d '\r' <"$WORK/$arch-inprocess.log" | grep '^\[  PASSED' | tail -1)"
  else
    fail "$arch: win32ui_inprocess (exit $rc)"
    tr -d '\r' <"$WORK/$arch-inprocess.log" | grep -E -A8 'Failure|FAILED' | tail -60
  fi

  step "$arch: full update from the window"
  scenario "$arch" update
  GOT=$(sim_record_list "good-$arch" "$GOOD_PID" blocks)
  if [ -n "$EXPECTED" ] && [ "$GOT" = "$EXPECTED" ]; then
    pass "$arch: the simulator got the image's $(echo "$EXPECTED" | tr ',' '\n' | wc -l) records in order, block 0x03DF last"
  else
    fail "$arch: written blocks differ from the image's"
    echo "expected blocks: ${EXPECTED:0:200}..."
    echo "written blocks:  ${GOT:0:200}..."
  fi
  step "$arch: cancel"
  scenario "$arch" cancel
  step "$arch: communication error and restart"
  scenario "$arch" restart
  step "$arch: closing while busy"
  scenario "$arch" closebusy
  step "$arch: shutdown or log-off during an update"
  scenario "$arch" shutdown
  step "$arch: a port that does not exist: cause and remedy in full"
  scenario "$arch" remedy
  step "$arch: port list and device change"
  scenario "$arch" ports
  step "$arch: internal mode"
  wine reg add 'HKCU\Software\Quorvane\Vorn' /v intern /t REG_DWORD /d 7361 /f >/dev/null 2>&1
  scenario "$arch" intern "$IMAGE"
  step "$arch: internal mode, minimised during an update"
  scenario "$arch" minimise
  wine reg delete 'HKCU\Software\Quorvane\Vorn' /v intern /f >/dev/null 2>&1 || true

  wineserver -k >/dev/null 2>&1 || true
  cd "$ROOT"
done

step "done"
echo "Windows desktop program: $((SECONDS - GUI_START)) s"
echo "windows gui: $PASSES passed, $FAILURES failed, $SKIPS skipped"
[ "$FAILURES" -eq 0 ]
