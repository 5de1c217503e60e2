#!/usr/bin/env bash
# Digests a ~150 MB, ~1500-file bundle as start-up does, against md5sum of the
# same files in the same run; prints the ratio.
# Usage: bench/digest_vs_md5sum.sh [build folder with -DPW_BENCH=ON]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/bench}
# shellcheck source=bench/common.sh
source "$here/common.sh"

work=$(mktemp -d /tmp/pw-digest-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
make_bundle "$work/Patchwell 5.app"
compare_to_md5sum DigestFiles "$work/Patchwell 5.app" PW_BENCH_BUNDLE "$build/DigestBench"
