#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds.
# Used by run.sh and test.sh; safe to run again (it only installs what is missing).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PYLONIX_BUILD_DIR:-$ROOT/build}"

source "$ROOT/scripts/packages.sh"
install_missing "${PACKAGES[@]}"

# A compiler cache, where the machine has one, makes a second clone's build
# take minutes instead of a quarter of an hour; nothing needs it.
launcher=()
if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
fi
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" > /dev/null
cmake --build "$BUILD" -j "$(nproc)"
