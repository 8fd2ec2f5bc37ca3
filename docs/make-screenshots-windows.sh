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
pids=()
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=scripts/wine_env.sh
source "$root/scripts/wine_env.sh"
wine_env_setup "$work/bin"

display=":$((130 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY="$display"
sleep 1

wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w >/dev/null 2>&1 || true
# Paced at 115200 baud, so that the picture during the update catches it
# under way.
"$sim" --baud 115200 >"$work/sim.out" 2>"$work/sim.err" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
ln -sfn "$(head -1 "$work/sim.out")" "$WINEPREFIX/dosdevices/com5"

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
