#!/usr/bin/env bash
# Installs what the build and the tests need, checks the includes against the
# layering, builds with the sanitizers and runs every test. CTest's summary is
# the last thing it prints.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
install_missing_packages
scripts/check-layering.sh

build=build/test
cmake -S . -B "$build" -DPW_SANITIZE=ON -DPW_TESTS=ON -DPW_FAULT_POINTS=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j "$(nproc)"
# Each fuzz harness for a few seconds, over its seeds and the saved findings.
if command -v clang++ >/dev/null; then
    scripts/fuzz.sh 5
fi
scripts/thread-check.sh
cd "$build"
lsan_crash="LeakSanitizer has encountered a fatal error"
if ! ctest --output-on-failure -j "$(nproc)" | tee ctest-output.log; then
    # LeakSanitizer's own tracer can crash at a program's exit when a thread
    # ends while it stops the others ("Tracer caught signal 11"): that says
    # nothing of our code, so when every failure may be such a crash, the
    # failed cases run once more. Any other failure ends the run here.
    failed=$(wc -l <Testing/Temporary/LastTestsFailed.log)
    crashes=$(grep -c "$lsan_crash" ctest-output.log || true)
    if [ "$crashes" -lt "$failed" ]; then
        exit 1
    fi
    echo "LeakSanitizer itself crashed in $crashes case(s); running the failed cases again:"
    ctest --output-on-failure --rerun-failed
fi
