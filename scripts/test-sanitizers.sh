#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer in
# its own folder and runs them: the first memory error, leak or undefined
# behaviour ends its test with a failure. Run after ./scripts/test.sh, which
# installs what is missing.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PYLONIX_SANITIZE_BUILD_DIR:-$ROOT/build-asan}"

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPYLONIX_SANITIZE=ON \
    -DPYLONIX_BUILD_BENCH=OFF > /dev/null
cmake --build "$BUILD" -j "$(nproc)"
cd "$BUILD"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
# The real-office tests are left out here: they drive LibreOffice's own,
# uninstrumented bridge libraries, whose process-wide context is kept until
# exit by design; the leak checker would report the office, not us. The
# export logic they cover runs under the sanitizers through the fake office.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" -E '^OfficeTest\.'

