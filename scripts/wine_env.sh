# Sourced by the Windows stages.  Debian's /usr/bin/wine starts Wine's 32-bit
# loader whenever wine32:i386 is installed, also for a 64-bit program; on a
# kernel that does not run 32-bit programs that fails with "Exec format
# error".  There "wine" and "wineboot" are made to call the 64-bit loader
# directly (wrappers in DIR, first on PATH), and 32-bit programs cannot run.
#
#   wine_env_setup DIR     sets WINE_RUNS_32BIT to 1 or 0
wine_env_setup() {
  local dir=$1
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE_RUNS_32BIT=1
    return 0
  fi
  WINE_RUNS_32BIT=0
  [ -x /usr/lib/wine/wine64 ] || return 0
  mkdir -p "$dir"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
    >"$dir/wine"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 wineboot "$@"\n' \
    >"$dir/wineboot"
  chmod +x "$dir/wine" "$dir/wineboot"
  export PATH="$dir:$PATH"
}
