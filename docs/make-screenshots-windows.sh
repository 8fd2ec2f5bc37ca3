#!/usr/bin/env bash
# Takes the screenshots docs/windows-*.png from the real tarvek2-update.exe
# under Wine on a virtual X display (Xvfb, no window manager: Wine draws the
# window frames itself), against the simulated logger on a pseudo-terminal
# reached as COM5.  ui_driver.exe works the windows and captures them.
#
#   docs/make-screenshots-windows.sh [BUILD_DIR]     (default: build/win64)
#
# Needs the builds of scripts/test_windows.sh (BUILD_DIR and
# build/native-for-wine) and the packages that script installs.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build/win64}" && pwd)"
cd "$root"
# SHOTS_NO_BUILD=1: take the programs as they are (while another build runs).
[ -n "${SHOTS_NO_BUILD:-}" ] || cmake --build "$build" -j2 --target tarvek2-update ui_driver
app="$build/src/win32ui/tarvek2-update.exe"
driver="$build/tests/win32ui/ui_driver.exe"
sim="$root/build/native-for-wine/sim/tarvek2-sim"
[ -x "$sim" ] || { echo "build $sim first (scripts/test_windows.sh)" >&2; exit 1; }

work="$(mktemp -d /tmp/tarvek2-shots.XXXXXX)"
# shellcheck source=scripts/lib.sh
source "$root/scripts/lib.sh"
WORK=$work
SIM=$sim
XVFB_PID=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  stop_sims
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
# Debian's wine starts its 32-bit loader first, for 64-bit programs too.
enable_i386_programs

start_xvfb 1024x768x24
if i686-w64-mingw32-objdump -f "$app" 2>/dev/null | grep -q pei-i386; then
  wine_prefix_new "$work/prefix" win32
else
  wine_prefix_new "$work/prefix"
fi
# Paced at 115200 baud, so that the picture during the update catches it
# under way.
start_sim sim --baud 115200
wine_map_com 5 "$SIM_PTY"

mkdir -p "$work/shots"
cd "$work"
timeout 600 wine "$driver" screenshots "$app" "$work/shots" >"$work/driver.log" 2>&1 || {
  tr -d '\r' <"$work/driver.log"
  exit 1
}
for name in main-window report-window message-window overview; do
  python3 "$here/bmp_to_png.py" "$work/shots/$name.bmp" "$here/windows-$name.png"
  echo "docs/windows-$name.png"
done
