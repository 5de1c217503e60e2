#!/usr/bin/env bash
# Extracts two encrypted update archives made by patchwell-pack, a ~150 MB /
# ~1500-file bundle and 20,000 tiny files, with our extractor and with
# Info-ZIP unzip on the same archive, from a warm cache into a fresh folder
# each time, in paired runs whose order alternates, and prints the median
# wall times, the peak resident memory and the ratios ours/unzip. For the
# bundle it also times a whole update run: the check before it, staging,
# the check of the new bundle against its build's digests, the backup, the
# journaled renames and the sync that makes the update durable.
# Usage: bench/extract_vs_unzip.sh [build folder with -DPW_BENCH=ON] [rounds, default 5]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/bench}
rounds=${2:-5}
source "$here/md5sum_compare.sh" # make_bundle

# median SECONDS... : the middle of the numbers given
median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
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
rm -rf "$work/tiny"

# timed COMMAND... : prints "seconds kilobytes" of one run
timed() {
    sync
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}

# A target folder holding an installed bundle, as the update run finds it.
fresh_target() {
    rm -rf "$work/target"
    mkdir -p "$work/target/Patchwell 5.app/Contents/MacOS"
    printf 'old' >"$work/target/Patchwell 5.app/Contents/MacOS/Patchwell 5"
    sync
}

ours_once() {
    rm -rf "$work/out" "$work/out.log"
    timed "$build/ExtractBench" --once "$1" "$work/out"
}

ours_run() {
    fresh_target
    echo "$("$build/ExtractBench" --run "$1" "$work/target" "$work/big/Patchwell 5.app") 0"
}

peer() {
    rm -rf "$work/out"
    timed unzip -q -o -P "$key" "$1" -d "$work/out"
}

# compare LABEL ARCHIVE OURS: paired rounds of OURS and unzip, alternating
# which goes first.
compare() {
    local name=$1 archive=$2 ours_command=$3
    cat "$archive" >/dev/null
    local ours=() peers=() ours_rss=0 peer_rss=0 t m round
    for round in $(seq 1 "$rounds"); do
        if ((round % 2)); then
            read -r t m < <($ours_command "$archive"); ours+=("$t"); ((m > ours_rss)) && ours_rss=$m
            read -r t m < <(peer "$archive"); peers+=("$t"); ((m > peer_rss)) && peer_rss=$m
        else
            read -r t m < <(peer "$archive"); peers+=("$t"); ((m > peer_rss)) && peer_rss=$m
            read -r t m < <($ours_command "$archive"); ours+=("$t"); ((m > ours_rss)) && ours_rss=$m
        fi
    done
    rm -rf "$work/out" "$work/out.log" "$work/target"
    local ours_median peer_median
    ours_median=$(median "${ours[@]}")
    peer_median=$(median "${peers[@]}")
    printf '%s: %s entries, %s bytes, %s rounds, load %s\n' "$name" "$(unzip -Z1 "$archive" | wc -l)" \
        "$(stat -c %s "$archive")" "$rounds" "$(cut -d' ' -f1 /proc/loadavg)"
    printf '  ours : %6.2f s  %7d KB peak\n  unzip: %6.2f s  %7d KB peak\n' \
        "$ours_median" "$ours_rss" "$peer_median" "$peer_rss"
    printf '  ratio ours/unzip: time %.2f' "$(echo "$ours_median / $peer_median" | bc -l)"
    if ((ours_rss > 0)); then
        printf '  memory %.2f' "$(echo "$ours_rss / $peer_rss" | bc -l)"
    fi
    printf '\n'
}

compare "large bundle, extraction" "$work/big.zip" ours_once
compare "large bundle, whole update run" "$work/big.zip" ours_run
compare "tiny files, extraction" "$work/tiny.zip" ours_once
