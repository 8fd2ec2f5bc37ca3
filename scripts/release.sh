#!/usr/bin/env bash
# Builds every release artefact of this checkout into dist/:
#
#   tarvek2_<version>_amd64.deb            Debian package (tarvek2-update, tarvek2-cli)
#   tarvek2-setup-<version>-win32.exe      Windows installer, 32-bit programs
#   tarvek2-setup-<version>-win64.exe      Windows installer, 64-bit programs
#   tarvek2-<version>-win32.zip            the 32-bit programs without installer
#   tarvek2-<version>-win64.zip            the 64-bit programs without installer
#   SHA256SUMS                             checksums of the five
#
# <version> is the project's version with the commit appended
# (cmake/Tarvek2Version.cmake): 1.0.0+g47e9957 from a checkout, 1.0.0 from the
# commit tagged v1.0.0 or from a source tarball; ".dirty" says the checkout had
# changes that no commit holds, so a release is built from a clean checkout.
#
# Release builds (optimised, no sanitizers) in build/pkg-linux, build/pkg-win32
# and build/pkg-win64; they are kept, so a second run builds only what changed.
# Installs what it needs (Debian packages) first.
#
#   scripts/release.sh                 all artefacts
#   TARVEK2_RELEASE="deb" scripts/release.sh      only some: deb win32 win64
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
START=$SECONDS
TARGETS=${TARVEK2_RELEASE:-deb win32 win64}

say() { printf '\n== release: %s (%ds)\n' "$*" "$((SECONDS - START))"; }

# --- packages -------------------------------------------------------------------
say "packages"
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
install_stage release

if [ -d .git ] || [ -f .git ]; then
  if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "release: the checkout has uncommitted changes; the version will end in .dirty" >&2
  fi
fi

LAUNCHER=()
if command -v ccache >/dev/null 2>&1; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Only the shipped programs are built (target tarvek2-programs); cpack must not
# build everything else first.
COMMON=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEK2_TESTS=OFF
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DTARVEK2_RELEASE_TOOLS=ON "${LAUNCHER[@]}")

rm -rf dist
mkdir -p dist build
DIST=$ROOT/dist

# Runs cpack in a build folder with the given generators and moves what it
# made into dist/:  package BUILD GENERATORS
package() {
  local build=$1 generators=$2 out=$1/_packages
  rm -rf "$out"
  (cd "$build" && cpack -G "$generators" -B "$ROOT/$out" >"$ROOT/$build/cpack.log" 2>&1) || {
    cat "$build/cpack.log" >&2
    return 1
  }
  find "$out" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.exe' -o -name '*.zip' \) \
    -exec mv -t "$DIST" {} +
}

# --- Debian package ---------------------------------------------------------------
if [[ " $TARGETS " == *" deb "* ]]; then
  say "Linux programs (build/pkg-linux)"
  # Debian's hardening flags (stack protector, fortify, relro, now), without
  # the debug information: the package's programs are stripped anyway.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
  cxxflags=$(sed -e 's/\(^\| \)-g\( \|$\)/ /g' -e 's/-ffile-prefix-map=[^ ]*//' <<<"$cxxflags")
  ldflags=$(dpkg-buildflags --get LDFLAGS)
  cmake -S . -B build/pkg-linux "${COMMON[@]}" -DTARVEK2_GUI=ON \
    "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" >build/pkg-linux.configure.log
  cmake --build build/pkg-linux -j2 --target tarvek2-programs
  say "Debian package"
  package build/pkg-linux DEB
fi

# --- Windows installers and zips ---------------------------------------------------
for arch in win32 win64; do
  [[ " $TARGETS " == *" $arch "* ]] || continue
  toolchain=cmake/toolchain-mingw-w64-i686.cmake
  [ "$arch" = win64 ] && toolchain=cmake/toolchain-mingw-w64-x86_64.cmake
  say "Windows programs, $arch (build/pkg-$arch)"
  cmake -S . -B "build/pkg-$arch" "${COMMON[@]}" -DTARVEK2_GUI=OFF \
    "-DCMAKE_TOOLCHAIN_FILE=$toolchain" >"build/pkg-$arch.configure.log"
  cmake --build "build/pkg-$arch" -j2 --target tarvek2-programs
  say "Windows installer and zip, $arch"
  package "build/pkg-$arch" "NSIS;ZIP"
done

# --- checksums -------------------------------------------------------------------
say "checksums"
(cd dist && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort |
  xargs -r sha256sum >SHA256SUMS)
ls -l dist
say "done in $((SECONDS - START)) s"
