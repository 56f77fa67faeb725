#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds.
# Used by run.sh and test.sh; safe to run again (it only installs what is missing).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PYLONIX_BUILD_DIR:-$ROOT/build}"

source "$ROOT/scripts/packages.sh"
install_missing "${PACKAGES[@]}"

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$BUILD" -j "$(nproc)"
