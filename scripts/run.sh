#!/usr/bin/env bash
# Installs what is needed, builds, and runs a complete update of the simulated
# logger (tarvek2-sim on a pseudo-terminal in the background).  With a display
# (DISPLAY or WAYLAND_DISPLAY set) the desktop program opens with its port box
# on the simulator: press "Update".  Without one, tarvek2-cli writes the
# built-in image that fits, with the report lines and the progress bar, and the
# simulated logger's record follows.  TARVEK2_RUN=cli forces the terminal.
#
#   SIM_BAUD=115200 scripts/run.sh   the default: answers paced, about 40 s
#   SIM_BAUD=9600 scripts/run.sh     the real line's pace: about 12 minutes
#   SIM_BAUD=0 scripts/run.sh        unpaced: about 5 s
#
# Ctrl-C cancels the update as the program's "Cancel" does.  Exits with
# tarvek2-cli's exit status.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
install_stage run
BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEK2_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target tarvek2-cli tarvek2-sim
GUI=""
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${TARVEK2_RUN:-}" != "cli" ] &&
  cmake --build "$BUILD" --target tarvek2-update >/dev/null 2>&1; then
  GUI=$BUILD/src/app/tarvek2-update
fi
CLI=$BUILD/src/cli/tarvek2-cli
SIM=$BUILD/sim/tarvek2-sim
SIM_BAUD=${SIM_BAUD:-115200}

WORK=$(mktemp -d /tmp/tarvek2-run.XXXXXX)
SIM_PID=""
stop_sim() {
  if [ -n "$SIM_PID" ]; then
    kill -TERM "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
    SIM_PID=""
  fi
}
cleanup() {
  stop_sim
  rm -rf "$WORK"
}
trap cleanup EXIT

# The simulator prints its port on its first line and its record (JSON) to
# the --record file when it is stopped.  It runs in a session of its own, so
# that a Ctrl-C at the terminal reaches only tarvek2-cli, as it would with a
# real logger on the cable.
setsid "$SIM" --baud "$SIM_BAUD" --record "$WORK/record.json" >"$WORK/sim.out" 2>"$WORK/sim.err" &
SIM_PID=$!
PORT=""
for _ in $(seq 1 50); do
  PORT=$(head -n 1 "$WORK/sim.out" 2>/dev/null || true)
  [ -n "$PORT" ] && break
  sleep 0.1
done
if [ -z "$PORT" ]; then
  echo "run.sh: the simulated logger did not start:" >&2
  cat "$WORK/sim.err" >&2
  exit 1
fi
echo "Simulated Tarvek2 logger on $PORT (answers paced at ${SIM_BAUD} baud; 0 = unpaced)"
set +e
if [ -n "$GUI" ]; then
  echo "\$ tarvek2-update port:$PORT"
  "$GUI" "port:$PORT"
else
  echo "\$ tarvek2-cli update --port $PORT"
  echo
  "$CLI" update --port "$PORT"
fi
STATUS=$?
set -e
stop_sim

echo
echo "tarvek2-cli exit status: $STATUS"
if [ -s "$WORK/record.json" ]; then
  # The counters of the record, one per line, then the blocks of the last
  # programming run: how many, and the last one (the vector table, 0x03DF).
  echo "The simulated logger's record:"
  sed -e 's/,"blocks":\[[^]]*\]//' -e 's/,"lastRunBlocks":\[[^]]*\]//' -e 's/[{}"]//g' \
    "$WORK/record.json" | tr ',' '\n' | awk -F: '{ printf "  %-16s %s\n", $1, $2 }'
  blocks=$(grep -o '"lastRunBlocks":\[[^]]*\]' "$WORK/record.json" | sed -e 's/.*\[//' -e 's/\]//')
  if [ -n "$blocks" ]; then
    count=$(echo "$blocks" | tr ',' '\n' | grep -c .)
    last=$(echo "$blocks" | tr ',' '\n' | tail -n 1)
    printf '  %-16s %d (in order of arrival), the last one 0x%04X\n' "blocks written" "$count" "$last"
  fi
fi
exit "$STATUS"
