#!/usr/bin/env bash
# Builds the fuzz harnesses with clang into build/fuzz and runs each one for
# SECONDS (default 5) over its seeds, the findings kept in tests/fuzz/findings
# and what earlier runs added to build/fuzz/corpus. Any report fails the script
# and leaves the input that caused it in build/fuzz/crashes.
#   scripts/fuzz.sh [SECONDS] [HARNESS...]    e.g. scripts/fuzz.sh 1800 extractor
# More libFuzzer flags go in PW_FUZZ_FLAGS (e.g. PW_FUZZ_FLAGS=-runs=1000000).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-5}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(cstring base64 entry_name data_file profile resources extractor zip_reader kit_archive)

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DPW_FUZZ=ON -DPW_SANITIZE=ON -DPW_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${harnesses[@]/#/fuzz_}"

# The harnesses' scratch folders go inside the build folder, never in /tmp.
export TMPDIR=$root/$build/tmp
mkdir -p "$TMPDIR" "$build/crashes"
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for name in "${harnesses[@]}"; do
    program=$build/tests/fuzz/fuzz_$name
    corpus=$build/corpus/$name
    "$program" --seeds="$corpus" >/dev/null
    inputs=("$corpus")
    [ -d "tests/fuzz/findings/$name" ] && inputs+=("tests/fuzz/findings/$name")
    # libzip is built without frame pointers: only the slow unwinder sees the
    # libzip function that the suppression of its leak names.
    asan=
    [ "$name" = extractor ] && asan=fast_unwind_on_malloc=0
    echo "fuzz_$name: ${seconds}s"
    # shellcheck disable=SC2086 # PW_FUZZ_FLAGS holds several flags
    ASAN_OPTIONS=$asan "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -dict="tests/fuzz/dict/$name.dict" -artifact_prefix="$build/crashes/$name-" ${PW_FUZZ_FLAGS:-} \
        "${inputs[@]}" >"$build/$name.log" 2>&1 || {
        tail -n 60 "$build/$name.log"
        echo "fuzz_$name found a fault; the input is in $build/crashes"
        exit 1
    }
    grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units)' "$build/$name.log" | tail -n 2
done
