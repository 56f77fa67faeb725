#!/usr/bin/env bash
# Set up, build and start the program.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
exec "${PYLONIX_BUILD_DIR:-$ROOT/build}/bin/Pylonix"
