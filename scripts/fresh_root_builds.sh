#!/usr/bin/env bash
# Configures every build tree the stages use, each as its stage configures
# it, and for each compiler (syntax only: -fsyntax-only, with the tree's own
# compile command) compiles the sources that include a third-party header:
# GoogleTest, GoogleMock, CLI11, fmt, nlohmann-json, libudev, Qt Widgets and
# Qt Test.  A
# missing package shows at configure (CMake names the Debian package, also
# for a sanitizer's or libFuzzer's runtime and for the mingw-w64 static
# runtimes, which configure links) or at the compile that needs its header.
# No library of the project is built: the whole check stays within minutes.
#
# Run by the fresh-root stage (scripts/test_fresh_root.sh) inside the new
# root; works in any checkout (into build/fresh-*, which it makes anew).
#
#   scripts/fresh_root_builds.sh [TREE...]
#   trees: asan tsan fuzz win64 win32 native-for-wine release bench
#          pkg-linux pkg-win32 pkg-win64
set -euo pipefail
cd "$(dirname "$0")/.."
START=$SECONDS
TREES=("$@")
[ "${#TREES[@]}" -gt 0 ] ||
  TREES=(asan tsan fuzz win64 win32 native-for-wine release bench pkg-linux pkg-win32 pkg-win64)

# The configure options of each tree, as its stage passes them (scripts/test.sh,
# scripts/test_tsan.sh, fuzz/run_short.sh, scripts/test_windows.sh,
# scripts/run.sh, bench/run_bench.sh, scripts/release.sh).
WIN64=-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
WIN32=-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-i686.cmake
RELEASE=(-DCMAKE_BUILD_TYPE=Release -DTARVEK2_TESTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
  -DTARVEK2_RELEASE_TOOLS=ON)
options() {
  case $1 in
  asan) echo -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_SANITIZE=ON ;;
  tsan) echo -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_TSAN=ON -DTARVEK2_GUI=ON -DTARVEK2_SANITIZE=OFF ;;
  fuzz) echo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEK2_FUZZ=ON -DTARVEK2_GUI=OFF -DTARVEK2_TESTS=OFF ;;
  win64) echo -DCMAKE_BUILD_TYPE= -DTARVEK2_GUI=OFF "$WIN64" ;;
  win32) echo -DCMAKE_BUILD_TYPE= -DTARVEK2_GUI=OFF "$WIN32" ;;
  native-for-wine) echo -DCMAKE_BUILD_TYPE=Debug -DTARVEK2_GUI=OFF -DTARVEK2_TESTS=OFF ;;
  release) echo -DCMAKE_BUILD_TYPE=Release -DTARVEK2_TESTS=OFF ;;
  bench) echo -DCMAKE_BUILD_TYPE=Release -DTARVEK2_GUI=OFF -DTARVEK2_TESTS=OFF ;;
  pkg-linux) echo "${RELEASE[@]}" -DTARVEK2_GUI=ON ;;
  pkg-win32) echo "${RELEASE[@]}" -DTARVEK2_GUI=OFF "$WIN32" ;;
  pkg-win64) echo "${RELEASE[@]}" -DTARVEK2_GUI=OFF "$WIN64" ;;
  *) return 1 ;;
  esac
}

# The sources that include each third-party header.
GMOCK=tests/serial/test_port_problem.cpp
GTEST=tests/cli/test_exit_codes.cpp
CLI11=src/cli/commands/cmdPorts.cpp
FMT=src/cli/commands/cmdImages.cpp
JSON=src/cli/output/jsonOutput.cpp
UDEV=src/serial/uPortWatcher_linux.cpp
QT=src/ui/uConfirm.cpp
QTEST=tests/ui/test_about.cpp
# The sources to compile in each tree.  Headers are found by the compiler
# and the include directories, not by the options: one tree per compiler
# (g++, clang++, each mingw-w64 g++) compiles them; the trees that share its
# compiler are configured only.
sources() {
  case $1 in
  asan) echo "$GMOCK $GTEST $CLI11 $FMT $JSON $UDEV $QT $QTEST" ;;
  fuzz) echo "$CLI11 $FMT $JSON $UDEV" ;;
  win64 | win32) echo "$GTEST $CLI11 $FMT $JSON" ;;
  esac
}

# The object file of SOURCE in the tree BUILD (its Ninja target's name:
# <folder>/CMakeFiles/<target>.dir/<path below the folder>.o, .obj for Windows).
object_of() {
  awk -F': ' -v src="$2" '
    $1 ~ /\.o(bj)?$/ {
      t = $1; p = t
      if (!sub(/CMakeFiles\/[^\/]*\.dir\//, "", p)) next
      sub(/\.o(bj)?$/, "", p)
      if (p == src && !found) { print t; found = 1 }
    }' "$1/targets"
}

# The tree's compile command of SOURCE (compile_commands.json), unquoted from JSON.
command_of() {
  awk -v file="  \"file\": \"$PWD/$2\"" '
    /^  "command": / { cmd = $0 }
    $0 == file { print cmd; exit }' "$1/compile_commands.json" |
    sed -e 's/^  "command": "//' -e 's/",$//' -e 's/\\"/"/g' -e 's/\\\\/\\/g'
}

# Compiles SOURCE as the tree BUILD would, syntax only.  A source that
# includes its moc output gets it first: the target's Qt moc step alone (its
# Ninja target would build the libraries the target links first).
check_source() {
  local build=$1 src=$2 obj target dir name config cmd
  obj=$(object_of "$build" "$src")
  [ -n "$obj" ] || { echo "$src is not compiled in this tree"; return 1; }
  if grep -q '^#include ".*\.moc"' "$src"; then
    target=${obj%%.dir/*}
    dir=${target%%/CMakeFiles/*}
    name=${target##*/CMakeFiles/}
    config=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
    (cd "$build/$dir" &&
      cmake -E cmake_autogen "$PWD/CMakeFiles/${name}_autogen.dir/AutogenInfo.json" "$config") ||
      return 1
  fi
  cmd=$(command_of "$build" "$src")
  [ -n "$cmd" ] || { echo "$src has no compile command"; return 1; }
  (cd "$build" && eval "$cmd -fsyntax-only")
}

mkdir -p build
failed=()
for tree in "${TREES[@]}"; do
  build=build/fresh-$tree
  rm -rf "$build"
  t=$SECONDS
  read -r -a opts <<<"$(options "$tree")" || { echo "no tree '$tree'" >&2; exit 2; }
  if [ "$tree" = pkg-linux ]; then
    # scripts/release.sh builds the package with Debian's hardening flags.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    opts+=("-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
      "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)")
  fi
  env=()
  [ "$tree" = fuzz ] && env=(CXX=clang++ CC=clang)
  if ! env "${env[@]}" cmake -S . -B "$build" -G Ninja "${opts[@]}" >"$build.log" 2>&1; then
    echo "FAILED: $tree: configure ($((SECONDS - t)) s):"
    grep -v '^-- ' "$build.log" | head -n 30
    failed+=("$tree")
    continue
  fi
  configured=$((SECONDS - t))
  # An optional package that is missing only warns (libudev): here it fails.
  if grep -q 'install the Debian package' "$build.log"; then
    echo "FAILED: $tree: configure asks for a package:"
    grep -A3 'CMake Warning' "$build.log" | head -n 20
    failed+=("$tree")
    continue
  fi
  ninja -C "$build" -t targets all >"$build/targets"
  t=$SECONDS
  checked=()
  for src in $(sources "$tree"); do
    if ! check_source "$build" "$src" >>"$build.log" 2>&1; then
      echo "FAILED: $tree: $src does not compile:"
      grep -E -A6 'error|not compiled|no compile' "$build.log" | head -n 30
      failed+=("$tree")
      continue 2
    fi
    checked+=("$(basename "$src")")
  done
  if [ "${#checked[@]}" -gt 0 ]; then
    echo "ok: $tree: configured in $configured s; ${checked[*]} compile (${#checked[@]} in $((SECONDS - t)) s)"
  else
    echo "ok: $tree: configured in $configured s"
  fi
done
echo "build trees: $((SECONDS - START)) s"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "failed trees: ${failed[*]}"
  exit 1
fi
