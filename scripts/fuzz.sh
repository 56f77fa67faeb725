#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/) with clang in build-fuzz/ and
# runs each: first over its seed corpus as a regression check, then fuzzing
# for the given number of seconds (default 60). Stops at the first failure:
# a broken property, a crash, a hang over 5 s or an allocation over 2 GiB.
# The input is saved under build-fuzz/artifacts/ and printed in hex.
#
#   scripts/fuzz.sh [seconds] [target ...]     targets: journal classlist ...
#
# New inputs found go to build-fuzz/corpus/<target>/, never into the seeds in
# the source tree; an input worth keeping (a crash once fixed) is copied into
# tests/fuzz/corpus/<target>/ by hand.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PYLONIX_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
SECONDS_EACH="${1:-60}"
shift || true

launcher=()
if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
fi
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
    -DPYLONIX_FUZZ=ON -DPYLONIX_BUILD_TESTS=OFF -DPYLONIX_BUILD_BENCH=OFF > /dev/null
jobs=$(nproc)
((jobs > 2)) && jobs=2
cmake --build "$BUILD" --target fuzz_all -j "$jobs"

targets=("$@")
if ((${#targets[@]} == 0)); then
    for t in "$BUILD"/fuzz/bin/fuzz_*; do
        targets+=("${t##*/fuzz_}")
    done
fi

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
LIMITS=(-timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=2048)

show_failure() {
    local target=$1 artifacts=$2 f
    echo "FUZZ FAILURE in $target; the input is saved as:" >&2
    for f in "$artifacts"/*; do
        [[ -e $f ]] || continue
        echo "  $f" >&2
        if command -v xxd > /dev/null; then xxd "$f" | head -64 >&2; else od -A x -t x1z "$f" | head -64 >&2; fi
    done
    echo "Reproduce: $BUILD/fuzz/bin/fuzz_$target <file>" >&2
}

for target in "${targets[@]}"; do
    exe="$BUILD/fuzz/bin/fuzz_$target"
    seeds="$ROOT/tests/fuzz/corpus/$target"
    corpus="$BUILD/corpus/$target"
    artifacts="$BUILD/artifacts/$target"
    rm -rf "$artifacts"
    mkdir -p "$corpus" "$artifacts" "$seeds"
    echo "== $target: seed corpus"
    if ! "$exe" "${LIMITS[@]}" -artifact_prefix="$artifacts/" -runs=0 "$seeds" > "$artifacts.log" 2>&1; then
        tail -40 "$artifacts.log" >&2
        show_failure "$target" "$artifacts"
        exit 1
    fi
    echo "== $target: fuzzing ${SECONDS_EACH} s"
    if ! "$exe" "${LIMITS[@]}" -artifact_prefix="$artifacts/" -max_total_time="$SECONDS_EACH" \
        -print_final_stats=1 "$corpus" "$seeds" > "$artifacts.log" 2>&1; then
        tail -40 "$artifacts.log" >&2
        show_failure "$target" "$artifacts"
        exit 1
    fi
    grep -E 'DONE|stat::number_of_executed_units' "$artifacts.log" | tail -2
done
echo "All fuzz targets passed."
