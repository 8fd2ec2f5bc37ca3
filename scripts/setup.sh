#!/usr/bin/env bash
# Installs the Debian packages the native build and its tests need
# (scripts/lib.sh holds the one list).  Safe to run again: apt-get skips what
# is already there.
#
#   scripts/setup.sh [GROUP...]     default: base
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
if [ "$#" -eq 0 ]; then set -- base; fi
install_packages "$@"
