#!/usr/bin/env bash
# What the signature costs an update: the same 150 MB update applied, in
# alternating rounds, to a copy that names no key (nothing is checked) and
# to a copy that names the key the kit is signed with (every file of the kit
# hashed and compared before the installation changes). Prints each round
# and the median ratio signed / unsigned.
# Usage: bench/signed_kit.sh [ROUNDS]   (PW_BIN: the programs, build/run by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"
bin=${PW_BIN:-$here/../build/run}
rounds=${1:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/patchwell-pack" keygen "$work/vendor.key" >"$work/vendor.pub" 2>/dev/null
key=$(cat "$work/vendor.pub")
new_bundle="$work/new/Patchwell 5/Patchwell 5.app"
make_bundle "$new_bundle"
touch -d "2026-11-20 09:30:00" "$new_bundle"

# One kit and one installed copy for each side; the builds differ only by
# the key their Info.plist names.
for side in unsigned signed; do
    side_key=""
    [ "$side" = signed ] && side_key=$key
    "$here/../scripts/make-demo-build.sh" "$work/$side/builds/old/Patchwell 5" 5.0.1 "2025-03-01 10:00:00" \
        $side_key >/dev/null
    mkdir -p "$work/$side/builds/new"
    cp -a "$work/new/Patchwell 5" "$work/$side/builds/new/"
    if [ -n "$side_key" ]; then
        plist="$work/$side/builds/new/Patchwell 5/Patchwell 5.app/Contents/Info.plist"
        printf '<key>PWUpdateSigningKey</key>\n<string>%s</string>\n' "$side_key" >>"$plist"
    fi
    sign=()
    [ "$side" = signed ] && sign=(--sign "$work/vendor.key")
    "$bin/patchwell-pack" kit "$work/$side/kit" --data "$work/$side/builds/old" "$work/$side/builds/new" \
        --new "$work/$side/builds/new/Patchwell 5" --name Update "${sign[@]}" >/dev/null
done

apply() {
    local side=$1 apps="$work/$1/Applications"
    rm -rf "$apps"
    mkdir -p "$apps"
    cp -a "$work/$side/builds/old/Patchwell 5" "$apps/"
    sync
    local start end
    start=$EPOCHREALTIME
    "$bin/patchwell-updater" --bundle "$work/$side/kit" --applications "$apps" --apply "$apps/Patchwell 5" \
        >"$work/$side.out" 2>&1 || { cat "$work/$side.out"; exit 1; }
    end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

ratios=()
for ((round = 1; round <= rounds; round++)); do
    if ((round % 2)); then
        plain=$(apply unsigned)
        signed=$(apply signed)
    else
        signed=$(apply signed)
        plain=$(apply unsigned)
    fi
    ratio=$(awk -v a="$signed" -v b="$plain" 'BEGIN { printf "%.3f", a / b }')
    ratios+=("$ratio")
    echo "round $round: unsigned ${plain}s, signed ${signed}s, ratio $ratio"
done
grep -q "signed by the maker" "$work/signed.out" || { echo "the signed run did not check the kit" >&2; exit 1; }
echo "median ratio signed / unsigned: $(median "${ratios[@]}")  (load: $(cut -d' ' -f1-3 /proc/loadavg))"
