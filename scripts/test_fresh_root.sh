#!/usr/bin/env bash
# Fresh-root stage: proves that the project's own install steps are all a new
# Debian 12 machine needs.  Makes a minimal Debian 12 root (debootstrap
# --variant=minbase bookworm, from the mirror of this machine's own apt source
# entry), copies the checkout into it, and inside it runs scripts/setup.sh and
# every stage's own install step (install_stage in scripts/lib.sh).  Then it
# configures every build tree the stages use, which finds a missing library,
# CMake package or program, and compiles in each tree the sources that
# include a third-party header (and links one small program where the tree's
# linking needs a package of its own), which finds a missing header.  Nothing
# runs there but the build.
#
# Nothing is kept between runs: the root is made anew and removed at the end,
# also when the stage fails or is interrupted.  Everything inside runs in a
# mount and process namespace of its own, so the root's /proc, /dev and
# /dev/pts mounts end with it whatever happens.
#
#   scripts/test_fresh_root.sh
#   TARVEK2_FRESH_RUN=1 scripts/test_fresh_root.sh   also scripts/run.sh there
#       (unattended, no display, unpaced simulator; a Release build: minutes)
#   TARVEK2_FRESH_CI=1 scripts/test_fresh_root.sh    also the whole .ci/run there
#       (every other stage; takes long)
#   TARVEK2_FRESH_KEEP=1 ...                         keep the root (debugging)
#
# Needs root (debootstrap, chroot); re-runs itself through sudo otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
if [ "$(id -u)" -ne 0 ]; then exec sudo -E bash "$0" "$@"; fi
STAGE_START=$SECONDS
# shellcheck source=scripts/lib.sh
source scripts/lib.sh

step "packages"
install_stage fresh

# --- the mirror ---------------------------------------------------------------------
# The first Debian 12 ("bookworm") source of this machine's apt: deb822 entries
# in sources.list.d/*.sources, or one-line entries in sources.list(.d/*.list).
apt_mirror() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
      {
        types = ""; uris = ""; suites = ""; enabled = "yes"
        for (i = 1; i <= NF; i++) {
          line = $i
          if (line ~ /^[ \t]*#/) continue
          key = tolower(line); sub(/:.*/, "", key)
          val = line; sub(/^[^:]*:[ \t]*/, "", val)
          if (key == "types") types = " " val " "
          else if (key == "uris") uris = val
          else if (key == "suites") suites = " " val " "
          else if (key == "enabled") enabled = tolower(val)
        }
        if (enabled != "no" && types ~ / deb / && suites ~ / bookworm /) {
          split(uris, u, /[ \t]+/); print u[1]; exit
        }
      }' "$f"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && $3 == "bookworm" { print $2 }'
  done
}
MIRROR=$(apt_mirror | head -n 1)
if [ -z "$MIRROR" ]; then
  echo "fresh: this machine's apt sources name no Debian 12 (bookworm) entry to take the mirror from" >&2
  exit 1
fi
echo "mirror: $MIRROR (from this machine's apt sources)"

# --- the root and its clean-up ---------------------------------------------------------
df -h /var/tmp | tail -n 1
FRESH=$(mktemp -d /var/tmp/tarvek2-fresh.XXXXXX)
# Readable for apt's own user (_apt), who downloads into it.
chmod 755 "$FRESH"
INNER_PID=""
cleanup() {
  local rc=$?
  trap - EXIT INT TERM HUP
  # The namespace first: killing it ends every process inside and with them
  # every mount of the root.  unshare --fork ignores SIGINT and SIGTERM while
  # it waits for its child: only SIGKILL ends it (and --kill-child then the
  # namespace).
  if [ -n "$INNER_PID" ] && kill -0 "$INNER_PID" 2>/dev/null; then
    kill -KILL "$INNER_PID" 2>/dev/null || true
    wait "$INNER_PID" 2>/dev/null || true
  fi
  # Anything mounted below the root from this namespace all the same.
  local m
  while read -r m; do umount -l "$m" 2>/dev/null || true; done < <(
    awk -v r="$FRESH/" 'index($5, r) == 1 { print $5 }' /proc/self/mountinfo | sort -r)
  if awk -v r="$FRESH/" 'index($5, r) == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo; then
    echo "fresh: something is still mounted below $FRESH; it is left there" >&2
  elif [ "${TARVEK2_FRESH_KEEP:-0}" = 1 ]; then
    echo "fresh: the root is kept in $FRESH"
  else
    rm -rf --one-file-system "$FRESH"
  fi
  rm -f "$FRESH.debootstrap.log"
  echo "fresh stage: $((SECONDS - STAGE_START)) s"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# --- the checkout ---------------------------------------------------------------------
# What the checkout holds (its files, committed or not, but nothing git
# ignores: no build trees, no dist/); the copy has no .git.
copy_checkout() {
  local dest=$1
  mkdir -p "$dest"
  if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$ROOT" && git ls-files -z --cached --others --exclude-standard |
      while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
      tar --null -T - -cf -) | tar -x -C "$dest"
  else
    tar -C "$ROOT" --exclude=./build --exclude=./dist -cf - . | tar -x -C "$dest"
  fi
}

# --- inside the root ---------------------------------------------------------------------
# Runs as the process tree of a mount and PID namespace of its own (see
# below): the mounts are private to it and vanish with it.
inside() {
  set -euo pipefail
  local t
  # The root lives in memory (about 5 GB at the end): nothing of it reaches
  # the disk, dpkg's many small syncs cost nothing, and it is gone with the
  # namespace.
  mount -t tmpfs -o size=12g,mode=755 tarvek2-fresh "$FRESH"
  step "debootstrap --variant=minbase bookworm"
  t=$SECONDS
  debootstrap --variant=minbase bookworm "$FRESH" "$MIRROR" >"$FRESH.debootstrap.log" 2>&1 || {
    tail -n 40 "$FRESH.debootstrap.log"
    rm -f "$FRESH.debootstrap.log"
    return 1
  }
  rm -f "$FRESH.debootstrap.log"
  echo "debootstrap: $((SECONDS - t)) s, $(du -sh --one-file-system "$FRESH" | cut -f1)"
  mount -t proc proc "$FRESH/proc"
  mount --rbind /dev "$FRESH/dev"
  mount --make-rslave "$FRESH/dev"
  cp /etc/resolv.conf "$FRESH/etc/resolv.conf"
  # No service starts in a root that is no running system.
  printf '#!/bin/sh\nexit 101\n' >"$FRESH/usr/sbin/policy-rc.d"
  chmod +x "$FRESH/usr/sbin/policy-rc.d"

  step "copy the checkout"
  copy_checkout "$FRESH/root/tarvek2"
  echo "$(find "$FRESH/root/tarvek2" -type f | wc -l) files"

  local in_root=(chroot "$FRESH" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
  step "scripts/setup.sh, then every stage's own install step"
  # apt's output goes into a log, shown when a step fails.
  local log=$FRESH/root/install.log before
  before=$("${in_root[@]}" dpkg-query -W -f='${Package}\n' | sort)
  t=$SECONDS
  "${in_root[@]}" bash -c 'cd /root/tarvek2 && bash scripts/setup.sh' >"$log" 2>&1 ||
    { tail -n 40 "$log"; return 1; }
  echo "setup.sh: $((SECONDS - t)) s"
  t=$SECONDS
  "${in_root[@]}" bash -c 'cd /root/tarvek2 && source scripts/lib.sh &&
    install_stage "${TARVEK2_STAGES_ALL[@]}"' >>"$log" 2>&1 || { tail -n 40 "$log"; return 1; }
  echo "every stage's install step: $((SECONDS - t)) s"
  echo "installed: $(comm -13 <(echo "$before") <("${in_root[@]}" dpkg-query -W -f='${Package}\n' |
    sort) | wc -l) packages; the root now holds $(du -sh --one-file-system "$FRESH" | cut -f1)"

  step "configure every build tree and build what proves its headers"
  "${in_root[@]}" bash /root/tarvek2/scripts/fresh_root_builds.sh || return 1

  if [ "${TARVEK2_FRESH_RUN:-0}" = 1 ]; then
    step "scripts/run.sh (no display, unpaced simulator)"
    t=$SECONDS
    "${in_root[@]}" SIM_BAUD=0 bash /root/tarvek2/scripts/run.sh </dev/null || return 1
    echo "run.sh: $((SECONDS - t)) s"
  fi
  if [ "${TARVEK2_FRESH_CI:-0}" = 1 ]; then
    step ".ci/run (every other stage)"
    t=$SECONDS
    "${in_root[@]}" TARVEK2_STAGES="asan tsan fuzz windows release" bash /root/tarvek2/.ci/run \
      </dev/null || return 1
    echo ".ci/run: $((SECONDS - t)) s"
  fi
}

export FRESH MIRROR ROOT STAGE_START
export -f inside copy_checkout step
# --kill-child: when unshare ends (it is what the clean-up signals), the
# namespace's first process is killed, and with it everything inside.
unshare --mount --propagation private --pid --fork --kill-child \
  bash -c 'inside' &
INNER_PID=$!
rc=0
wait "$INNER_PID" || rc=$?
INNER_PID=""
if [ "$rc" -ne 0 ]; then
  echo "FAILED: the fresh Debian 12 root (exit $rc)" >&2
  exit 1
fi
echo "ok: a fresh Debian 12 root installs, configures and builds every tree"
