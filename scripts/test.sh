#!/usr/bin/env bash
# Set up, build and run every test (widget tests use the offscreen platform).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
cd "${PYLONIX_BUILD_DIR:-$ROOT/build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
