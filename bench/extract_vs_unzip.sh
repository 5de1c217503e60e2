#!/usr/bin/env bash
# Extracts two encrypted update archives made by patchwell-pack, a ~150 MB /
# ~1500-file bundle and 20,000 tiny files, with our extractor and with
# Info-ZIP unzip on the same archive in the same run, from a warm cache into a
# fresh folder each time, and prints the best wall time of 3, the peak
# resident memory and the ratios ours/unzip.
# Usage: bench/extract_vs_unzip.sh [build folder with -DPW_BENCH=ON]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/bench}
source "$here/md5sum_compare.sh" # make_bundle

# min_time SECONDS... : the smallest of the numbers given
min_time() {
    printf '%s\n' "$@" | sort -g | head -1
}

work=$(mktemp -d /tmp/pw-extract-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
key=$("$build/ExtractBench" --key)

make_bundle "$work/big/Patchwell 5.app"
mkdir -p "$work/tiny"
for i in $(seq 0 19999); do
    folder="$work/tiny/group$((i % 100))"
    [ -d "$folder" ] || mkdir "$folder"
    head -c $((i % 200 + 1)) /dev/urandom >"$folder/f$i.txt"
done
"$build/patchwell-pack" archive "$work/big.zip" "$work/big"
"$build/patchwell-pack" archive "$work/tiny.zip" "$work/tiny"
rm -rf "$work/big" "$work/tiny"

# timed COMMAND... : prints "seconds kilobytes" of one run
timed() {
    sync
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}

compare() {
    local name=$1 archive=$2
    cat "$archive" >/dev/null
    local ours=() peer=() ours_rss=0 peer_rss=0 t m
    for round in 1 2 3; do
        rm -rf "$work/out" "$work/out.log"
        read -r t m < <(timed "$build/ExtractBench" --once "$archive" "$work/out")
        ours+=("$t"); ((m > ours_rss)) && ours_rss=$m
        rm -rf "$work/out"
        read -r t m < <(timed unzip -q -o -P "$key" "$archive" -d "$work/out")
        peer+=("$t"); ((m > peer_rss)) && peer_rss=$m
    done
    rm -rf "$work/out" "$work/out.log"
    local ours_best peer_best
    ours_best=$(min_time "${ours[@]}")
    peer_best=$(min_time "${peer[@]}")
    printf '%s: %s entries, %s bytes\n' "$name" "$(unzip -Z1 "$archive" | wc -l)" "$(stat -c %s "$archive")"
    printf '  ours : %6.2f s  %7d KB peak\n  unzip: %6.2f s  %7d KB peak\n' \
        "$ours_best" "$ours_rss" "$peer_best" "$peer_rss"
    printf '  ratio ours/unzip: time %.2f  memory %.2f\n' \
        "$(echo "$ours_best / $peer_best" | bc -l)" "$(echo "$ours_rss / $peer_rss" | bc -l)"
}

compare "large bundle" "$work/big.zip"
compare "tiny files" "$work/tiny.zip"
