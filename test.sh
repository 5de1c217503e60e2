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
ctest --output-on-failure -j "$(nproc)"
