#!/usr/bin/env bash
# Takes the screenshots in docs/ from the real desktop program, run on a
# virtual X display against the simulated logger on a pseudo-terminal.
#
#   docs/make-screenshots.sh [BUILD_DIR]      (default: build/ui)
#
# Needs the Debian packages xvfb, openbox, xdotool, x11-utils and imagemagick
# (not part of scripts/setup.sh: only this script uses them).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build/ui}" && pwd)"
app="$build/src/app/tarvek2-update"
sim="$build/sim/tarvek2-sim"
for tool in Xvfb openbox xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$app" ] && [ -x "$sim" ] || { echo "build $app and $sim first" >&2; exit 1; }

work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Waits for a visible window of the program whose name matches; prints its id.
window() {
  for _ in $(seq 300); do
    local id
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)"
    if [ -n "$id" ]; then echo "$id"; return; fi
    sleep 0.2
  done
  echo "no window \"$1\"" >&2
  exit 1
}
# Client area origin of a window: "x y".
origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'
}
# The screen, cut down to what the program shows.
shoot() {
  sleep 0.7
  import -window root "$work/root.png"
  convert "$work/root.png" -trim +repage "$here/$1"
  echo "docs/$1"
}

# 1. The main window as an operator sees it (normal mode, idle).
mkdir -p "$work/normal"
XDG_CONFIG_HOME="$work/normal" "$app" port:/dev/ttyUSB0 >"$work/app1.log" 2>&1 &
app1=$!
pids+=("$app1")
window '^Tarvek2 Firmware Update$' >/dev/null
shoot main-window.png
kill "$app1"
wait "$app1" 2>/dev/null || true

# 2. Internal mode with "File", during an update: the report window is docked
#    under the main window.  The simulator answers at 38400 baud, so the
#    update takes about a minute and a half.
mkdir -p "$work/intern/Quorvane"
printf '[General]\nintern=7361\n' >"$work/intern/Quorvane/Vorn.conf"
"$sim" --baud 38400 --exit-after-update >"$work/sim.out" 2>"$work/sim.err" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
port="$(head -1 "$work/sim.out")"
XDG_CONFIG_HOME="$work/intern" "$app" "port:$port" f:+ >"$work/app2.log" 2>&1 &
pids+=($!)
main="$(window '^Tarvek2 Firmware Update$')"
window '^Report' >/dev/null
xdotool windowactivate --sync "$main"
sleep 0.5
xdotool key Return # "Update" is the default button; no question in internal mode
sleep 25
shoot report-window.png

# 3. The message window at the end of the update.
window '^Information' >/dev/null
shoot message-window.png
xdotool key Return

# 4. The firmware overview, from the menu.
sleep 0.5
read -r x y < <(origin "$main")
xdotool mousemove $((x + 40)) $((y + 10)) click 1
sleep 0.7
xdotool mousemove $((x + 60)) $((y + 29)) click 1
window '^Overview' >/dev/null
shoot overview.png
xdotool key Escape
