#!/usr/bin/env bash
# The Windows desktop program under Wine, driven from outside like an
# operator: ui_driver.exe (a Windows program of the project's own, built for
# the same architecture) starts tarvek2-update.exe, finds its windows and
# controls, presses the buttons with window messages and reads what the
# windows show.  The logger is tarvek2-sim on a pseudo-terminal that the Wine
# prefix's dosdevices/com5 link turns into COM5; COM6 is a silent logger, COM7
# one that answers at the pace of a 115200 baud line.
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
ARCHS=("$@")
[ "${#ARCHS[@]}" -gt 0 ] || ARCHS=(win64 win32)

STAGE_START=$SECONDS
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
build_sim_for_wine
for arch in "${ARCHS[@]}"; do
  if [ "$arch" = win32 ]; then
    wine_i386_check
    break
  fi
done

WORK=$(mktemp -d /tmp/tarvek2-wine-gui.XXXXXX)
XVFB_PID=""
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  stop_sims
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

step "virtual display"
start_xvfb
echo "Xvfb on $DISPLAY"

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
    # What the logger on COM5 saw, for the reader of a failed run.
    if [ -n "${GOOD_PID:-}" ] && kill -USR1 "$GOOD_PID" 2>/dev/null; then
      sleep 0.5
      echo "   simulator on COM5: $(grep '"blocks"' "$WORK/good-$arch.out" | tail -1 |
        sed 's/"\(blocks\|lastRunBlocks\)":\[[^]]*\],\{0,1\}//g')"
    fi
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

  step "$arch: fresh Wine prefix, simulators on COM5 and COM6"
  if [ "$arch" = win32 ]; then
    wine_prefix_new "$WORK/prefix-$arch" win32
  else
    wine_prefix_new "$WORK/prefix-$arch"
  fi
  start_sim "good-$arch"
  GOOD_PID=$SIM_PID
  wine_map_com 5 "$SIM_PTY"
  start_sim "silent-$arch" --silent
  wine_map_com 6 "$SIM_PTY"
  # Closing while busy needs an update that outlasts the questions: a logger
  # answering at the line's pace (about 40 s for a whole update).
  start_sim "paced-$arch" --baud 115200
  wine_map_com 7 "$SIM_PTY"
  echo "COM5 -> $(readlink "$WINEPREFIX/dosdevices/com5"), COM6 -> $(readlink "$WINEPREFIX/dosdevices/com6") (silent)," \
    "COM7 -> $(readlink "$WINEPREFIX/dosdevices/com7") (paced)"
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
  scenario "$arch" closebusy COM7
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
echo "Windows desktop program: $((SECONDS - STAGE_START)) s"
echo "windows gui: $PASSES passed, $FAILURES failed"
[ "$FAILURES" -eq 0 ]
