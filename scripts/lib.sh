# Sourced by every script of the project: the one list of Debian packages the
# project uses, grouped by what needs them, and the helpers the stages share.
#
#   install_packages GROUP...    installs the groups' packages that are missing
#                                (base tsan fuzz windows release run fresh)
#   install_stage STAGE...       a stage's own install step: its groups'
#                                packages, then its set-up hook if it has one
#   step / pass / fail           a stage's headings and its tally

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
