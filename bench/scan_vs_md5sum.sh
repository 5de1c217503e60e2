#!/usr/bin/env bash
# A start-up scan of an applications folder holding two copies of a ~150 MB,
# ~1500-file bundle, against md5sum of the same files in the same run; prints
# the ratio.
# Usage: bench/scan_vs_md5sum.sh [build folder with -DPW_BENCH=ON]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/bench}
source "$here/md5sum_compare.sh"

work=$(mktemp -d /tmp/pw-scan-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
make_bundle "$work/Applications/Patchwell 5/Patchwell 5.app"
cp -r "$work/Applications/Patchwell 5" "$work/Applications/Patchwell 5 copy"
compare_to_md5sum ScanDirectory "$work/Applications" PW_BENCH_APPS "$build/ScanBench"
