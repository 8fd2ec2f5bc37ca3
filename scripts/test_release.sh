#!/usr/bin/env bash
# Release stage: builds every artefact (scripts/release.sh, into dist/) and
# checks them as a user meets them:
#   - one version everywhere: the build's version (project version + commit),
#     a source tarball's (the project version alone), every file name;
#   - SHA256SUMS matches the artefacts;
#   - the Debian package: its fields and files, lintian without errors, the
#     .desktop file valid; installed with dpkg -i, tarvek2-cli --version from
#     the PATH prints the version, tarvek2-cli images works, the desktop
#     program starts; dpkg -r removes every file again;
#   - the zips hold the programs, each with its version resource and manifest;
#   - each Windows installer, silently under Wine in a fresh prefix (for all
#     users, and the 64-bit one also for the current user alone): the programs
#     and the Start-menu entries are there, the installed tarvek2-cli.exe
#     prints the same version, the uninstaller removes files, entries and
#     registry keys again.  The installers are 32-bit programs: Wine's 32-bit
#     loader must run (enable_i386_programs in scripts/lib.sh).
# Exits non-zero on any failure.  Needs root (dpkg -i) or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
STAGE_START=$SECONDS
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# --- packages -----------------------------------------------------------------
step "packages"
install_stage release
step "32-bit Linux programs (Wine's 32-bit loader)"
wine_i386_check

# --- build --------------------------------------------------------------------
step "build every artefact (scripts/release.sh)"
TIMEFORMAT="release build: %0R s (CPU: %0U s user, %0S s system)"
time bash scripts/release.sh

WORK=$(mktemp -d /tmp/tarvek2-release.XXXXXX)
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# --- one version ----------------------------------------------------------------
step "the version"
VERSION=$(sed -n 's/^#define TARVEK2_VERSION "\(.*\)"$/\1/p' build/pkg-linux/generated/version/tarvek2_version.h)
PROJECT_VERSION=$(sed -n 's/^project(tarvek2_update VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
echo "version $VERSION (project version $PROJECT_VERSION)"
if [ -d .git ] || [ -f .git ]; then
  commit=$(git rev-parse --short=7 HEAD)
  if [[ "$VERSION" == "$PROJECT_VERSION+"*"g$commit"* ]] ||
    { [ "$VERSION" = "$PROJECT_VERSION" ] && git describe --exact-match --match "v$PROJECT_VERSION" >/dev/null 2>&1; }; then
    pass "version $VERSION: project version $PROJECT_VERSION and commit $commit"
  else
    fail "version '$VERSION' does not name project version $PROJECT_VERSION and commit $commit"
  fi
fi
if [[ "$VERSION" =~ ^[0-9][0-9A-Za-z.+]*$ ]]; then
  pass "version $VERSION uses only digits, letters, '.' and '+'"
else
  fail "version '$VERSION' has characters a Debian version or a file name cannot take"
fi
# A source tarball has no commit: the plain project version.
mkdir -p "$WORK/tarball"
if [ -d .git ] || [ -f .git ]; then
  git archive HEAD | tar -x -C "$WORK/tarball"
  if cmake -S "$WORK/tarball" -B "$WORK/tarball-build" -G Ninja -DTARVEK2_GUI=OFF \
    -DTARVEK2_TESTS=OFF >"$WORK/tarball.log" 2>&1; then
    tv=$(sed -n 's/^#define TARVEK2_VERSION "\(.*\)"$/\1/p' "$WORK/tarball-build/generated/version/tarvek2_version.h")
    if [ "$tv" = "$PROJECT_VERSION" ]; then
      pass "a source tarball (git archive) builds version $tv"
    else
      fail "a source tarball builds version '$tv', not $PROJECT_VERSION"
    fi
  else
    fail "a source tarball does not configure"
    tail -20 "$WORK/tarball.log"
  fi
fi

DEB=dist/tarvek2_${VERSION}_amd64.deb
EXPECTED=("tarvek2_${VERSION}_amd64.deb" "tarvek2-setup-${VERSION}-win32.exe"
  "tarvek2-setup-${VERSION}-win64.exe" "tarvek2-${VERSION}-win32.zip" "tarvek2-${VERSION}-win64.zip")
got=$(cd dist && ls | grep -v '^SHA256SUMS$' | sort | paste -sd ' ')
want=$(printf '%s\n' "${EXPECTED[@]}" | sort | paste -sd ' ')
if [ "$got" = "$want" ]; then
  pass "dist/ holds the five artefacts, each named with $VERSION"
else
  fail "dist/ holds '$got', expected '$want'"
fi
if (cd dist && sha256sum --quiet -c SHA256SUMS) && [ "$(wc -l <dist/SHA256SUMS)" -eq 5 ]; then
  pass "SHA256SUMS lists the five artefacts and matches them"
else
  fail "SHA256SUMS does not match the artefacts"
fi
ls -l dist

# --- the Debian package -----------------------------------------------------------
step "the Debian package: fields and files"
field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = tarvek2 ] && [ "$(field Version)" = "$VERSION" ] &&
  [ "$(field Architecture)" = amd64 ] &&
  pass "package tarvek2, version $VERSION, amd64" || fail "package fields: $(field Package) $(field Version) $(field Architecture)"
DEPENDS=$(field Depends)
echo "Depends: $DEPENDS"
missing_deps=""
dep_names=$(sed -e 's/ *([^)]*)//g' -e 's/, */\n/g' <<<"$DEPENDS")
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins; do
  grep -qxF "$lib" <<<"$dep_names" || missing_deps+=" $lib"
done
[ -z "$missing_deps" ] && pass "Depends names the C++ runtime, Qt's libraries and its platform plugins" ||
  fail "Depends lacks$missing_deps"
if field Description | grep -q dialout; then
  pass "the description tells of the dialout group"
else
  fail "the description does not mention the dialout group"
fi
dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|' >"$WORK/deb-files"
for f in /usr/bin/tarvek2-cli /usr/bin/tarvek2-update /usr/share/applications/tarvek2-update.desktop \
  /usr/share/icons/hicolor/scalable/apps/tarvek2-update.svg /usr/share/doc/tarvek2/README.md \
  /usr/share/doc/tarvek2/copyright /usr/share/doc/tarvek2/changelog.gz \
  /usr/share/man/man1/tarvek2-cli.1.gz /usr/share/man/man1/tarvek2-update.1.gz; do
  grep -qx "$f" "$WORK/deb-files" || fail "the package lacks $f"
done
pass "the package holds the programs, the .desktop file, the icon, the README, copyright, changelog and manual pages"

step "lintian and desktop-file-validate"
lintian --tag-display-limit 0 "$DEB" >"$WORK/lintian.out" 2>&1 || true
cat "$WORK/lintian.out"
if grep -q '^E: ' "$WORK/lintian.out"; then
  fail "lintian reports $(grep -c '^E: ' "$WORK/lintian.out") error(s)"
else
  pass "lintian: no error ($(grep -c '^W: ' "$WORK/lintian.out" || true) warning(s))"
fi
mkdir -p "$WORK/deb"
dpkg-deb -x "$DEB" "$WORK/deb"
if out=$(desktop-file-validate "$WORK/deb/usr/share/applications/tarvek2-update.desktop" 2>&1) &&
  [ -z "$out" ]; then
  pass "desktop-file-validate: no complaint"
else
  fail "desktop-file-validate: $out"
fi

step "the Debian package: install, run, remove"
if dpkg-query -W -f='${Status}' tarvek2 2>/dev/null | grep -q "install ok installed"; then
  echo "(an installed tarvek2 package is replaced, then removed)"
fi
if $SUDO dpkg -i "$DEB" >"$WORK/dpkg-i.out" 2>&1; then
  pass "dpkg -i installs the package"
else
  fail "dpkg -i"
  cat "$WORK/dpkg-i.out"
fi
dpkg -L tarvek2 >"$WORK/installed" 2>/dev/null || true
cli=$(command -v tarvek2-cli || true)
if [ "$cli" = /usr/bin/tarvek2-cli ] && out=$(tarvek2-cli --version) &&
  [ "$out" = "tarvek2-cli $VERSION" ]; then
  pass "tarvek2-cli --version from the PATH: $out"
else
  fail "tarvek2-cli --version from the PATH ('$cli'): '${out:-}'"
fi
if tarvek2-cli images >"$WORK/images.out" 2>&1 && grep -q Tarvek2 "$WORK/images.out"; then
  pass "tarvek2-cli images lists the built-in images"
else
  fail "tarvek2-cli images"
  cat "$WORK/images.out"
fi
# The desktop program starts (and keeps running until stopped) with what the
# package depends on.
if ldd /usr/bin/tarvek2-update /usr/bin/tarvek2-cli | grep -q 'not found'; then
  fail "a library of the programs is not found: $(ldd /usr/bin/tarvek2-update | grep 'not found')"
fi
rc=0
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$WORK/config timeout 3 /usr/bin/tarvek2-update \
  >"$WORK/update.out" 2>&1 || rc=$?
if [ "$rc" -eq 124 ]; then
  pass "the installed tarvek2-update starts and runs"
else
  fail "the installed tarvek2-update ended at once (exit $rc)"
  cat "$WORK/update.out"
fi
$SUDO dpkg -r tarvek2 >"$WORK/dpkg-r.out" 2>&1 || { fail "dpkg -r"; cat "$WORK/dpkg-r.out"; }
left=""
while IFS= read -r f; do
  [ -d "$f" ] && continue # directories shared with other packages stay
  [ -e "$f" ] && left+=" $f"
done <"$WORK/installed"
hash -r
status=$(dpkg-query -W -f='${Status}' tarvek2 2>/dev/null || true)
if [ "$(wc -l <"$WORK/installed")" -gt 5 ] && [ -z "$left" ] &&
  [[ "$status" != *" installed" ]] && ! command -v tarvek2-cli >/dev/null; then
  pass "dpkg -r removes every file of the package ($(wc -l <"$WORK/installed") paths; status now '${status:-unknown}')"
else
  fail "after dpkg -r: status '$status', still there:${left:- (no file)}, tarvek2-cli: $(command -v tarvek2-cli)"
fi

# --- the zips ---------------------------------------------------------------------
step "the zips and the version resources"
for arch in win32 win64; do
  zip=dist/tarvek2-${VERSION}-$arch.zip
  dir=$WORK/zip-$arch
  mkdir -p "$dir"
  (cd "$dir" && cmake -E tar xf "$ROOT/$zip")
  top=$dir/tarvek2-${VERSION}-$arch
  for f in tarvek2-cli.exe README.md copyright.txt; do
    [ -f "$top/$f" ] || fail "$zip lacks tarvek2-${VERSION}-$arch/$f"
  done
  format=pei-i386
  objdump=i686-w64-mingw32-objdump
  if [ "$arch" = win64 ]; then
    format=pei-x86-64
    objdump=x86_64-w64-mingw32-objdump
  fi
  for exe in "$top"/*.exe; do
    name=$(basename "$exe")
    $objdump -f "$exe" | grep -q "$format" || fail "$zip: $name is not $format"
    # Company, product and version strings of the version resource.
    # (the resource's texts are UTF-16: strings -el lists them one a line).
    ok=1
    strings -el "$exe" >"$WORK/strings"
    for text in "$VERSION" Quorvane "Tarvek2 Firmware Update" "$name"; do
      grep -qxF "$text" "$WORK/strings" || { ok=0; fail "$zip: $name has no '$text' in its version resource"; }
    done
    # Its application manifest: never asks for elevation.
    grep -q 'requestedExecutionLevel level="asInvoker"' "$exe" ||
      { ok=0; fail "$zip: $name has no manifest with requestedExecutionLevel asInvoker"; }
    [ "$ok" -eq 1 ] && pass "$zip: $name ($format) carries company, product, version $VERSION and its manifest"
  done
done

# --- the installers under Wine ---------------------------------------------------------
step "the Windows installers under Wine (fresh prefix)"
unset DISPLAY WAYLAND_DISPLAY
wine_prefix_new "$WORK/prefix"
DRIVE_C=$WINEPREFIX/drive_c
# Runs a Windows program under Wine with a time limit, its output into a file,
# then waits for the prefix's programs to end (an NSIS uninstaller goes on in
# a copy of itself):  wrun OUT SECONDS PROGRAM ARGS...
wrun() {
  local out=$1 limit=$2 rc=0
  shift 2
  timeout --kill-after=5 "$limit" wine "$@" >"$out" 2>&1 || rc=$?
  timeout 60 wineserver -w >/dev/null 2>&1 || true
  return "$rc"
}
# In the registry's 64-bit view: Debian's wine runs reg.exe in its 32-bit
# loader, whose view of HKLM\Software is the Wow6432Node (the 32-bit
# installer's key is named with it).
reg_has() { wine reg query "$1" /reg:64 >/dev/null 2>&1; }

# check_installer ARCH MODE: MODE is AllUsers or CurrentUser.
check_installer() {
  local arch=$1 mode=$2 setup folder menu key rc out
  setup=$ROOT/dist/tarvek2-setup-${VERSION}-$arch.exe
  if [ "$mode" = AllUsers ]; then
    folder="$DRIVE_C/Program Files/Tarvek2"
    [ "$arch" = win32 ] && folder="$DRIVE_C/Program Files (x86)/Tarvek2"
    menu="$DRIVE_C/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarvek2"
    key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvek2'
    [ "$arch" = win32 ] && key='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Tarvek2'
  else
    # The prefix's user (named after the Linux user).
    local appdata
    appdata=$(ls -d "$DRIVE_C"/users/*/AppData | head -n 1)
    folder="$appdata/Local/Programs/Tarvek2"
    menu="$appdata/Roaming/Microsoft/Windows/Start Menu/Programs/Tarvek2"
    key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvek2'
  fi
  local what="$arch installer, $mode"
  rc=0
  wrun "$WORK/setup-$arch-$mode.out" 300 "$setup" /S "/$mode" || rc=$?
  if [ ! -f "$folder/tarvek2-cli.exe" ] && [ "$rc" -ne 0 ]; then
    # Now and then Wine does not start a program at all: once more.
    echo "$(basename "$setup"): exit $rc, nothing installed; once more"
    rc=0
    wrun "$WORK/setup-$arch-$mode.out" 300 "$setup" /S "/$mode" || rc=$?
  fi
  if [ "$rc" -eq 0 ] && [ -f "$folder/tarvek2-cli.exe" ] && [ -f "$folder/Uninstall.exe" ]; then
    pass "$what: /S installs into ${folder#"$DRIVE_C"/}"
  else
    fail "$what: /S (exit $rc) left no program in '$folder'"
    find "$DRIVE_C" -name 'tarvek2-cli.exe' 2>/dev/null
    return
  fi
  # The installed program, started from its installed place.
  rc=0
  (cd "$WORK" && wrun "$WORK/version-$arch-$mode.out" 120 "$folder/tarvek2-cli.exe" --version) || rc=$?
  out=$(tr -d '\r' <"$WORK/version-$arch-$mode.out")
  if [ "$rc" -eq 0 ] && [ "$out" = "tarvek2-cli $VERSION" ]; then
    pass "$what: the installed tarvek2-cli.exe --version prints '$out'"
  else
    fail "$what: the installed tarvek2-cli.exe --version (exit $rc): '$out'"
  fi
  local shortcuts
  shortcuts=$(cd "$menu" 2>/dev/null && ls ./*.lnk 2>/dev/null | sed 's|^\./||' | paste -sd ',' || true)
  if [ -f "$menu/Tarvek2 Command Line.lnk" ] && [ -f "$menu/Uninstall Tarvek2 Firmware Update.lnk" ] &&
    { [ ! -f "$folder/tarvek2-update.exe" ] || [ -f "$menu/Tarvek2 Firmware Update.lnk" ]; }; then
    pass "$what: Start-menu folder Tarvek2 with $shortcuts"
  else
    fail "$what: Start-menu entries in '$menu': '$shortcuts'"
  fi
  if reg_has "$key"; then
    pass "$what: uninstall entry $key"
  else
    fail "$what: no uninstall entry $key"
  fi
  find "$folder" -type f | sort >"$WORK/installed-$arch-$mode"
  rc=0
  wrun "$WORK/uninstall-$arch-$mode.out" 300 "$folder/Uninstall.exe" /S || rc=$?
  left=$(find "$folder" "$menu" 2>/dev/null | head -5 | paste -sd ' ' || true)
  if [ "$rc" -eq 0 ] && [ -z "$left" ] && ! reg_has "$key"; then
    pass "$what: the uninstaller removes the $(wc -l <"$WORK/installed-$arch-$mode") installed files, the Start-menu folder and the uninstall entry"
  else
    fail "$what: after the uninstaller (exit $rc) there is still: $left$(reg_has "$key" && echo " $key")"
  fi
}
check_installer win32 AllUsers
check_installer win64 AllUsers
check_installer win64 CurrentUser
wineserver -k >/dev/null 2>&1 || true

step "done"
echo "release stage: $((SECONDS - STAGE_START)) s"
echo "release: $PASSES passed, $FAILURES failed"
[ "$FAILURES" -eq 0 ]
