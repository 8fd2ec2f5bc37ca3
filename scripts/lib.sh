# shellcheck shell=bash
# Sourced by every script of the project: the one list of Debian packages the
# project uses, grouped by what needs them, and the helpers the stages share.
#
#   install_packages GROUP...    installs the groups' packages that are missing
#                                (base tsan fuzz windows release run fresh)
#   install_stage STAGE...       a stage's own install step: its groups'
#                                packages, then its set-up hook if it has one
#   enable_i386_programs         makes 32-bit Linux programs run (Wine's 32-bit
#                                loader): user-mode emulation where the kernel
#                                does not run them itself
#   step / pass / fail           a stage's headings and its tally
#   wine_i386_check              passes or fails on enable_i386_programs
#   wine_prefix_new DIR [win32]  a fresh Wine prefix (exported as WINEPREFIX)
#   wine_map_com N PTY           COMn of the prefix is the pseudo-terminal PTY
#   wine_run OUT SECONDS PROGRAM ARGS...   a Windows program under Wine
#   build_sim_for_wine           the simulated logger, built natively
#   start_sim NAME [OPTIONS...]  a simulated logger on a pseudo-terminal
#   sim_record_list NAME PID KEY the simulator's record of written blocks
#   image_blocks FILE            an image's blocks in the order they are written
#   stop_sims                    ends the simulators started here
#   start_xvfb [SCREEN]          a virtual display (exported as DISPLAY)

# --- the packages ---------------------------------------------------------------
# base: the native build, the test suite (GoogleTest and GoogleMock), the Qt
# program, the hot-plug watcher, the sanitizer and fuzzing compilers.
TARVEK2_PKGS_base=(
  build-essential g++ cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev googletest
  libcli11-dev libfmt-dev nlohmann-json3-dev
  qt6-base-dev libudev-dev
  clang libclang-rt-14-dev
  qt6-qpa-plugins
)
TARVEK2_PKGS_tsan=()
TARVEK2_PKGS_fuzz=()
TARVEK2_PKGS_run=()
# fresh: the stage that builds a minimal Debian 12 root and installs into it.
TARVEK2_PKGS_fresh=(debootstrap)
# windows: the mingw-w64 cross compilers, Wine (its 32-bit loader is an i386
# package) and the virtual display the desktop program is driven on.
TARVEK2_PKGS_windows=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine wine32:i386 xvfb)
# release: dpkg-shlibdeps (dpkg-dev, file) for the package's dependencies,
# makensis for the installers; lintian and desktop-file-utils check the
# package, Wine runs the installers (an NSIS installer is a 32-bit program).
TARVEK2_PKGS_release=(
  dpkg-dev file gzip nsis g++-mingw-w64-x86-64 g++-mingw-w64-i686
  lintian desktop-file-utils binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 wine32:i386
)

tarvek2_sudo() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}

install_packages() {
  local group p missing=() needs_i386=0
  for group in "$@"; do
    local -n list="TARVEK2_PKGS_$group"
    for p in "${list[@]}"; do
      dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$p")
      case $p in *:i386) needs_i386=1 ;; esac
    done
    unset -n list
  done
  [ "${#missing[@]}" -gt 0 ] || return 0
  export DEBIAN_FRONTEND=noninteractive
  if [ "$needs_i386" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    tarvek2_sudo dpkg --add-architecture i386
  fi
  tarvek2_sudo apt-get -o DPkg::Lock::Timeout=600 update -q
  tarvek2_sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends \
    "${missing[@]}"
}

# --- 32-bit Linux programs ---------------------------------------------------------
# Wine runs a 32-bit Windows program in its 32-bit loader, an i386 Linux
# program (wine32:i386).  A kernel built without IA32 support refuses it with
# "Exec format error".  There the kernel hands i386 programs (executables and
# shared objects) to QEMU's user-mode emulator through binfmt_misc.  QEMU
# older than 8.1 is of no use: Wine reserves its address space in tens of
# thousands of mmap calls that it serves one by one (48 s a process start
# instead of about 1 s), so on bookworm it comes from bookworm-backports.
TARVEK2_QEMU_MIN=1:8.1
TARVEK2_BINFMT=/proc/sys/fs/binfmt_misc
TARVEK2_QEMU_I386=/usr/bin/qemu-i386-static
# ELF, 32-bit, little-endian, type 2 or 3 (executable or shared object),
# machine 3 (i386); F: the kernel opens the emulator when it is registered, so
# that it serves in chroots, containers and other mount namespaces too.
TARVEK2_BINFMT_I386=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$TARVEK2_QEMU_I386"':F'
# The emulator version that was registered: with F the kernel keeps the binary
# it opened then, so an upgraded package needs a new registration.  In /run,
# which is emptied at boot like the kernel's registrations.
TARVEK2_BINFMT_STAMP=/run/tarvek2-qemu-i386.version

# An i386 program runs: the 32-bit dynamic loader of libc6:i386.
i386_program_runs() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# The machine's own Debian entry for the release CODENAME, made into the entry
# of CODENAME-backports (main only): from a deb822 *.sources file or from a
# one-line entry.  Prints "sources" or "list" and then the entry; nothing when
# the machine has no such entry.
debian_backports_entry() {
  local codename=$1 f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v suite="$codename" '
      function has(list, word) { return (" " list " ") ~ (" " word " ") }
      function flush() {
        if (has(types, "deb") && has(suites, suite) && has(comps, "main") && tolower(enabled) != "no") {
          print "sources"
          print "Types: deb"
          print "URIs: " uris
          print "Suites: " suite "-backports"
          print "Components: main"
          if (signed != "") print "Signed-By: " signed
          found = 1
          exit
        }
        types = suites = comps = uris = signed = enabled = key = ""
      }
      /^#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]/ { if (key == "signed-by") signed = signed "\n" $0; next }
      {
        key = tolower($0); sub(/:.*/, "", key)
        val = $0; sub(/^[^:]*:[ \t]*/, "", val); sub(/[ \t]+$/, "", val)
        if (key == "types") types = val
        else if (key == "uris") uris = val
        else if (key == "suites") suites = val
        else if (key == "components") comps = val
        else if (key == "signed-by") signed = val
        else if (key == "enabled") enabled = val
      }
      END { if (!found) flush() }' "$f" | grep . && return 0
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    # deb [OPTIONS] URI SUITE COMPONENT...
    sed -n -E "s/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+${codename}[[:space:]]+(.*[[:space:]])?main([[:space:]].*)?\$/deb \1\2 $codename-backports main/p" \
      "$f" | head -n 1 | sed 's/^/list\n/' | grep . && return 0
  done
  return 1
}

# Adds the backports suite of this Debian release to apt's sources, taken
# from the machine's own entry.  Does nothing when the suite is there already.
add_debian_backports() {
  local codename entry kind
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || { echo "no Debian release name in /etc/os-release" >&2; return 1; }
  if grep -sqE "^[^#]*[[:space:]]$codename-backports([[:space:]]|\$)" \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; then
    return 0
  fi
  entry=$(debian_backports_entry "$codename") || {
    echo "no entry of the Debian archive for $codename in apt's sources" >&2
    return 1
  }
  kind=${entry%%$'\n'*}
  echo "adding $codename-backports (from the machine's entry for $codename)"
  printf '%s\n' "${entry#*$'\n'}" |
    tarvek2_sudo tee "/etc/apt/sources.list.d/tarvek2-$codename-backports.$kind" >/dev/null
  tarvek2_sudo apt-get -o DPkg::Lock::Timeout=600 update -q
}

# qemu-user-static at TARVEK2_QEMU_MIN or later: from the release itself when
# it has one, otherwise from its backports suite.
install_qemu_user_static() {
  local installed candidate codename
  installed=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null || true)
  if [ -n "$installed" ] && dpkg --compare-versions "$installed" ge "$TARVEK2_QEMU_MIN"; then
    return 0
  fi
  export DEBIAN_FRONTEND=noninteractive
  candidate=$(apt-cache policy qemu-user-static | sed -n 's/^ *Candidate: //p')
  if [ -n "$candidate" ] && [ "$candidate" != "(none)" ] &&
    dpkg --compare-versions "$candidate" ge "$TARVEK2_QEMU_MIN"; then
    tarvek2_sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends \
      qemu-user-static
    return
  fi
  add_debian_backports || return 1
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  tarvek2_sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends \
    -t "$codename-backports" qemu-user-static
}

# Registers QEMU for i386 programs, again when the entry is not this one or
# the package changed since it was registered.
register_qemu_i386() {
  local version entry=$TARVEK2_BINFMT/qemu-i386
  version=$(dpkg-query -W -f='${Version}' qemu-user-static)
  if [ -e "$entry" ] && grep -qx enabled "$entry" &&
    grep -qx "interpreter $TARVEK2_QEMU_I386" "$entry" && grep -q '^flags:.*F' "$entry" &&
    [ "$(cat "$TARVEK2_BINFMT_STAMP" 2>/dev/null)" = "$version" ]; then
    return 0
  fi
  echo "registering $TARVEK2_QEMU_I386 ($version) for i386 programs"
  if [ -e "$entry" ]; then echo -1 | tarvek2_sudo tee "$entry" >/dev/null; fi
  printf '%s' "$TARVEK2_BINFMT_I386" | tarvek2_sudo tee "$TARVEK2_BINFMT/register" >/dev/null &&
    echo "$version" | tarvek2_sudo tee "$TARVEK2_BINFMT_STAMP" >/dev/null
}

# Makes i386 programs run.  Where the kernel runs them itself nothing is
# changed.  Returns non-zero with the reason on stderr when they cannot run.
enable_i386_programs() {
  local out
  if [ ! -e "$TARVEK2_BINFMT/qemu-i386" ] && i386_program_runs; then return 0; fi
  [ -x /lib/ld-linux.so.2 ] || {
    echo "no i386 program to run: libc6:i386 is not installed" >&2
    return 1
  }
  install_qemu_user_static || {
    echo "qemu-user-static $TARVEK2_QEMU_MIN or later could not be installed" >&2
    return 1
  }
  if ! mountpoint -q "$TARVEK2_BINFMT"; then
    tarvek2_sudo mount -t binfmt_misc binfmt_misc "$TARVEK2_BINFMT" || {
      echo "binfmt_misc cannot be mounted on $TARVEK2_BINFMT" >&2
      return 1
    }
  fi
  register_qemu_i386 || {
    echo "QEMU cannot be registered for i386 programs in $TARVEK2_BINFMT" >&2
    return 1
  }
  if ! out=$(/lib/ld-linux.so.2 --version 2>&1); then
    echo "i386 programs still do not run: $(head -n 1 <<<"$out")" >&2
    return 1
  fi
}


# --- each stage's own install step ---------------------------------------------
# The groups each stage needs.  A stage may add a set-up of its own after its
# packages: a function named stage_setup_<stage> (e.g. stage_setup_windows),
# called by install_stage.  The fresh-root stage calls install_stage for
# every stage, so whatever a stage installs is proven there.
declare -gA TARVEK2_STAGE_GROUPS=(
  [asan]="base" [tsan]="base tsan" [fuzz]="base fuzz" [windows]="base windows"
  [release]="base release" [run]="base run" [fresh]="fresh"
)
TARVEK2_STAGES_ALL=(asan tsan fuzz windows release run)

install_stage() {
  local stage groups=() more=()
  for stage in "$@"; do
    [ -n "${TARVEK2_STAGE_GROUPS[$stage]+x}" ] || { echo "install_stage: no stage '$stage'" >&2; return 1; }
    read -r -a more <<<"${TARVEK2_STAGE_GROUPS[$stage]}"
    groups+=("${more[@]}")
  done
  install_packages "${groups[@]}" || return 1
  for stage in "$@"; do
    if declare -F "stage_setup_$stage" >/dev/null; then "stage_setup_$stage" || return 1; fi
  done
}

# The Windows and release stages run 32-bit Windows programs: their install
# step brings the emulator where the kernel does not run i386 programs
# itself.  Registering it with the kernel is left to the stage's run
# (wine_i386_check), which is where it is needed.
stage_setup_windows() {
  if [ ! -e "$TARVEK2_BINFMT/qemu-i386" ] && i386_program_runs; then return 0; fi
  install_qemu_user_static
}
stage_setup_release() { stage_setup_windows; }

# --- a stage's headings and tally -------------------------------------------------
STAGE_START=${STAGE_START:-$SECONDS}
FAILURES=0
PASSES=0
step() { printf '\n== %s (%ds)\n' "$*" "$((SECONDS - STAGE_START))"; }
pass() {
  printf 'ok: %s\n' "$*"
  PASSES=$((PASSES + 1))
}
fail() {
  printf 'FAILED: %s\n' "$*" >&2
  FAILURES=$((FAILURES + 1))
}

# --- Wine -----------------------------------------------------------------------------
# The stages' check that Wine's 32-bit loader runs (enable_i386_programs):
# passes, or fails with the reason.
wine_i386_check() {
  local reason
  if { reason=$(enable_i386_programs 2>&1 1>&3); } 3>&1; then
    pass "i386 programs run: the 32-bit loader of $(/usr/lib/wine/wine --version 2>&1 | head -n 1)"
  else
    printf '%s\n' "$reason"
    fail "32-bit Windows programs cannot run under Wine here: $(tail -n 1 <<<"$reason")"
  fi
}

# A fresh Wine prefix in DIR, exported as WINEPREFIX; "win32" makes it a
# 32-bit prefix (for 32-bit programs alone), otherwise it runs both kinds.
# Without a window manager on the display Wine would wait on every hidden
# window, so it manages its windows itself.  Returns when the prefix's
# programs have ended.
wine_prefix_new() {
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "${2:-}" = win32 ]; then export WINEARCH=win32; else unset WINEARCH; fi
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1 || true
}

# COMn of the prefix is the pseudo-terminal PTY: the prefix's dosdevices
# link, which Wine's serial driver opens.
wine_map_com() {
  ln -sfn "$2" "$WINEPREFIX/dosdevices/com$1"
}

# Runs a Windows program under Wine with a time limit, its output into a file
# (never into a pipe, which a Wine service started meanwhile could hold open).
# Now and then Wine does not start a program at all (exit 1, not a byte of
# output); only that case is tried once more.
#   wine_run OUT SECONDS PROGRAM ARGS...
wine_run() {
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

# --- the simulated logger ---------------------------------------------------------------
# The logger simulator is the Linux end of the Windows programs' COM ports: a
# native build of it alone (and of the tool that lists an image's blocks in
# write order), in build/native-for-wine.  Sets SIM and WRITE_ORDER.
build_sim_for_wine() {
  local dir=build/native-for-wine
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_GUI=OFF -DTARVEK2_TESTS=OFF
  fi
  cmake --build "$dir" -j2 --target tarvek2-sim tarvek2-write-order
  SIM=$PWD/$dir/sim/tarvek2-sim
  WRITE_ORDER=$PWD/$dir/tools/tarvek2-write-order
}

# Starts a simulated logger with the given options as a child of the calling
# script, its output in $WORK/NAME.out and .err; sets SIM_PTY to its
# pseudo-terminal and SIM_PID to its process, and adds the process to
# SIM_PIDS for stop_sims.  Needs SIM and WORK.
#   start_sim NAME [SIMULATOR OPTIONS...]
SIM_PIDS=()
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

# Ends the simulators.  The Wine server takes a simulator's pseudo-terminal
# as its controlling terminal: stop it first.
stop_sims() {
  local pid
  for pid in "${SIM_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${SIM_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  SIM_PIDS=()
}

# A list from the simulator's latest record ("blocks" or "lastRunBlocks"),
# comma-separated: SIGUSR1 makes it write the record without ending.
#   sim_record_list NAME PID KEY
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

# The blocks of an image in the order the updater writes them (every full
# data record in file order, the vector table last), in decimal and
# comma-separated: worked out by the same image check the session writes
# from.  Needs WRITE_ORDER.
image_blocks() {
  "$WRITE_ORDER" "$1"
}

# --- the display ------------------------------------------------------------------------
# A virtual X server on a free display number, no window manager; exports
# DISPLAY, sets XVFB_PID.  Its log goes to $WORK/xvfb.log.
#   start_xvfb [WIDTHxHEIGHTxDEPTH]     (default 1280x1024x24)
start_xvfb() {
  local n screen=${1:-1280x1024x24}
  for n in $(seq 80 200); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY:" >&2
  cat "$WORK/xvfb.log" >&2
  return 1
}
