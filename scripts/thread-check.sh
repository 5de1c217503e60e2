#!/usr/bin/env bash
# Builds the engine's tests and a replayer of the extractor's fuzz inputs
# with ThreadSanitizer into build/tsan, and runs both: the extraction
# workers share the archive, its entries and a few flags, and a race there
# shows in no other build. The digests of the copies (identification) and
# the check of the copies beside the window (the main window's tests) run on
# threads too, and their tests run here as well. Only those targets are built (and the programs
# the engine's tests start). Any report fails the script.
#   scripts/thread-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/tsan
cmake -S . -B "$build" -DPW_TESTS=ON -DPW_FAULT_POINTS=ON -DPW_FUZZ=ON -DPW_FUZZ_REPLAY=ON \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build "$build" -j "$(nproc)" --target engine_tests identification_tests ui_tests replay_extractor

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
echo "engine_tests under ThreadSanitizer"
"$build/engine_tests" --gtest_brief=1
echo "identification_tests and the main window's tests under ThreadSanitizer"
"$build/identification_tests" --gtest_brief=1
QT_QPA_PLATFORM=offscreen "$build/ui_tests" --gtest_brief=1 --gtest_filter='GlobalWin.*'
inputs=(tests/fuzz/findings/extractor)
[ -d build/fuzz/corpus/extractor ] && inputs+=(build/fuzz/corpus/extractor)
echo "the extractor's fuzz inputs under ThreadSanitizer: ${inputs[*]}"
TMPDIR=$PWD/$build/tmp
export TMPDIR
mkdir -p "$TMPDIR"
"$build/tests/fuzz/replay_extractor" "${inputs[@]}"
