# Sourced by the Windows stages.  Starts a simulated logger with the given
# options as a child of the calling script, its output in $WORK/NAME.out and
# .err; sets SIM_PTY to its pseudo-terminal and SIM_PID to its process, and
# adds the process to SIM_PIDS for the caller's clean-up.  Needs SIM (the
# simulator program) and WORK.
#
#   start_sim NAME [SIMULATOR OPTIONS...]
start_sim() {
  local name=$1
  shift
  "$SIM" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
  SIM_PID=$!
  SIM_PIDS+=("$SIM_PID")
  SIM_PTY=""
  for _ in $(seq 1 100); do
    SIM_PTY=$(grep -m1 -o '^/dev/pts/[0-9]*' "$WORK/$name.out" 2>/dev/null || true)
    [ -n "$SIM_PTY" ] && return 0
    sleep 0.1
  done
  echo "simulator $name did not start:" >&2
  cat "$WORK/$name.err" >&2
  exit 1
}
