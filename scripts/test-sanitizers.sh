#!/usr/bin/env bash
# Builds the tests with sanitizers in folders of their own and runs them:
#   asan  every test with AddressSanitizer and UndefinedBehaviorSanitizer
#         (build-asan/): the first memory error, leak or undefined behaviour
#         ends its test with a failure;
#   tsan  the test programs of the threaded units with ThreadSanitizer
#         (build-tsan/): the first data race or lock-order report fails.
# Without arguments both run. Run after ./scripts/test.sh, which installs
# what is missing.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PARTS=("$@")
((${#PARTS[@]})) || PARTS=(asan tsan)

# The test programs of the units that run threads of their own: the serial
# worker and the modem watcher, the journal writer, the backup writer, the
# spreadsheet job (through the main window), the port probe and the
# live-results server.
launcher=()
if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
fi

TSAN_TESTS=(comport_test lightbarrier_test modemwatcher_test journal_test backupwriter_test
            formmain_spreadsheet_test portprobe_test liveserver_test)

run_asan() {
    local build="${PYLONIX_SANITIZE_BUILD_DIR:-$ROOT/build-asan}"
    cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPYLONIX_SANITIZE=ON \
        -DPYLONIX_BUILD_BENCH=OFF "${launcher[@]}" > /dev/null
    cmake --build "$build" -j "$(nproc)"
    (
        cd "$build"
        export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
        export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
        # The real-office tests are left out here: they drive LibreOffice's own,
        # uninstrumented bridge libraries, whose process-wide context is kept until
        # exit by design; the leak checker would report the office, not us. The
        # export logic they cover runs under the sanitizers through the fake office.
        QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" -E '^OfficeTest\.'
    )
}

run_tsan() {
    local build="${PYLONIX_TSAN_BUILD_DIR:-$ROOT/build-tsan}"
    cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPYLONIX_TSAN=ON \
        -DPYLONIX_BUILD_BENCH=OFF "${launcher[@]}" > /dev/null
    cmake --build "$build" -j "$(nproc)" --target "${TSAN_TESTS[@]}"
    # Qt is not built with ThreadSanitizer: tests/tsan.supp names the reports
    # that lie wholly inside Qt and the system libraries, and only those.
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$ROOT/tests/tsan.supp${TSAN_OPTIONS:+:$TSAN_OPTIONS}"
    local failed=() t
    for t in "${TSAN_TESTS[@]}"; do
        echo "== $t under ThreadSanitizer"
        # The real-office tests leave the office's own threads to it.
        if ! QT_QPA_PLATFORM=offscreen "$build/tests/bin/$t" --gtest_filter='-OfficeTest.*' --gtest_brief=1; then
            failed+=("$t")
        fi
    done
    if ((${#failed[@]})); then
        echo "ThreadSanitizer failed: ${failed[*]}" >&2
        return 1
    fi
}

for part in "${PARTS[@]}"; do
    case "$part" in
    asan) run_asan ;;
    tsan) run_tsan ;;
    *) echo "unknown part: $part (asan, tsan)" >&2; exit 2 ;;
    esac
done
