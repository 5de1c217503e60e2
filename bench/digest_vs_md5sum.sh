#!/usr/bin/env bash
# Digests a ~150 MB, ~1500-file bundle as start-up does and with md5sum over
# the same files, in one run and from a warm cache, and prints the ratio.
# Usage: bench/digest_vs_md5sum.sh [build folder with -DPW_BENCH=ON]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/bench}
source "$here/make_bundle.sh"

work=$(mktemp -d /tmp/pw-digest-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
make_bundle "$work/Patchwell 5.app"
find "$work" -type f -print0 >"$work/files"
cat "$work/files" | xargs -0 cat >/dev/null # warm the cache for both

ours=()
peer=()
for round in 1 2 3; do
    ours+=("$(PW_BENCH_BUNDLE="$work/Patchwell 5.app" "$build/DigestBench" --benchmark_format=json 2>/dev/null |
        python3 -c 'import json,sys; print(json.load(sys.stdin)["benchmarks"][0]["real_time"] / 1000)')")
    start=$(date +%s.%N)
    xargs -0 md5sum <"$work/files" >/dev/null
    peer+=("$(echo "$(date +%s.%N) - $start" | bc -l)")
done
ours_best=$(min_time "${ours[@]}")
peer_best=$(min_time "${peer[@]}")
printf 'files: %s  bytes: %s\n' "$(tr -cd '\0' <"$work/files" | wc -c)" "$(du -sb "$work/Patchwell 5.app" | cut -f1)"
printf 'DigestFile (best of 3): %.3f s\nmd5sum     (best of 3): %.3f s\nratio ours/md5sum: %.2f\n' \
    "$ours_best" "$peer_best" "$(echo "$ours_best / $peer_best" | bc -l)"
