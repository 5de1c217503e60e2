#!/usr/bin/env bash
# Every comparison of our updater with the peer tools, measured in one run and
# printed as one table with the machine's load at the start and at the end:
#   1. extraction of a ~150 MB / ~1,500-entry encrypted archive, against unzip
#   2. extraction of 5 entries of 300 MB (PW_BENCH_LARGE_MB=1500 in all)
#   3. extraction of 20,000 tiny entries
#   4. extraction of 60,000 small entries
#   5. patchwell-updater --list over two installed copies of the ~150 MB
#      build, against md5sum of the same files on two cores
#   6. patchwell-updater --apply on an installed copy, against cp -a of the
#      bundle to a backup followed by unzip into the copy's folder
#   7. row 5's --list on a second start: the copies' digests in the cache
#   8. row 1 on one core against two (taskset): how extraction scales
#   9. traditional decryption alone, one core (DecoderBench), in MiB/s
#  10. the start to the first window, offscreen and on an X server (Xvfb),
#      with no copy and with row 5's two copies checked beside the window
# and, for rows 1-4, 7z and bsdtar against unzip when they are installed.
# Every input is made by code. Each time is the median of paired rounds whose
# order rotates; each run writes into a fresh folder, nothing is deleted
# until the very end, every timed run starts after a sync from a warm cache.
# Usage: bench/compare_all.sh [build folder with -DPW_BENCH=ON] [rounds, default 5]
# PW_BENCH_ROWS="1 5" measures some rows only; TMPDIR says where to work.
set -euo pipefail
shopt -s inherit_errexit
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/bench}" && pwd)
rounds=${2:-5}
rows=${PW_BENCH_ROWS:-1 2 3 4 5 6 7 8 9 10}
large_mib=${PW_BENCH_LARGE_MB:-1500}
large_count=5
# shellcheck source=bench/common.sh
source "$here/common.sh"

for program in patchwell-updater patchwell-pack ExtractBench; do
    if [ ! -x "$build/$program" ]; then
        echo "$build/$program is missing; build it with:" >&2
        echo "  cmake -S . -B build/bench -DPW_BENCH=ON -DCMAKE_BUILD_TYPE=Release && cmake --build build/bench" >&2
        exit 1
    fi
done
for program in unzip md5sum /usr/bin/time; do
    command -v "$program" >/dev/null || { echo "$program is needed: it is the peer or the meter" >&2; exit 1; }
done
if ! [[ $rounds =~ ^[1-9][0-9]*$ && $large_mib =~ ^[1-9][0-9]*$ ]] || ((large_mib < large_count)); then
    echo "rounds must be a positive number, and PW_BENCH_LARGE_MB at least $large_count" >&2
    exit 2
fi
peers=(unzip_extract)
command -v 7z >/dev/null && peers+=(sevenzip_extract)
command -v bsdtar >/dev/null && peers+=(bsdtar_extract)

selected() { [[ " $rows " == *" $1 "* ]]; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
# The megabytes the run writes: each input once, and every run's output,
# kept until the end. A file takes at least a block, and a copy of the
# bundle about 160 MB.
mib_needed=0
if selected 1 || selected 5 || selected 6 || selected 7 || selected 8 || selected 10; then mib_needed=$((2 * 160 + 400)); fi # the two builds and their kit
selected 1 && mib_needed=$((mib_needed + rounds * (${#peers[@]} + 1) * 160))
selected 2 && mib_needed=$((mib_needed + large_mib * 2 + rounds * (${#peers[@]} + 1) * large_mib))
selected 3 && mib_needed=$((mib_needed + 160 + rounds * (${#peers[@]} + 1) * 80))
selected 4 && mib_needed=$((mib_needed + 480 + rounds * (${#peers[@]} + 1) * 240))
{ selected 5 || selected 7 || selected 10; } && mib_needed=$((mib_needed + 2 * 160))
selected 8 && mib_needed=$((mib_needed + rounds * 2 * 160))
selected 6 && mib_needed=$((mib_needed + rounds * 5 * 160))
work=$(mktemp -d "${TMPDIR:-/tmp}/pw-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mib_free=$(($(df -P -k "$work" | awk 'NR == 2 { print $4 }') / 1024))
if ((mib_free < mib_needed + 1024)); then
    echo "The run needs about $((mib_needed / 1024 + 1)) GB free beside $work and $((mib_free / 1024)) GB are;" >&2
    echo "measure fewer rows (PW_BENCH_ROWS), fewer rounds, or a smaller PW_BENCH_LARGE_MB." >&2
    exit 1
fi

key=$("$build/ExtractBench" --key)

# pack ARGUMENT...: patchwell-pack, quiet unless it fails
pack() {
    "$build/patchwell-pack" "$@" >"$work/pack.log" 2>&1 || { cat "$work/pack.log" >&2 && return 1; }
}
# progress TEXT: what the run is doing, with the seconds it has taken so far
progress() { echo "[$SECONDS s] $1" >&2; }

# The inputs. Two builds of one ~150 MB bundle that differ in their program,
# and the kit that updates the first to the second; its archive is row 1's.
progress "Making the inputs in $work"
if selected 1 || selected 5 || selected 6 || selected 7 || selected 8 || selected 10; then
    make_bundle "$work/builds/5.0.1/Patchwell 5/Patchwell 5.app"
    mkdir -p "$work/builds/5.0.2"
    cp -a "$work/builds/5.0.1/Patchwell 5" "$work/builds/5.0.2/"
    printf 'build 5.0.2' >>"$work/builds/5.0.2/Patchwell 5/Patchwell 5.app/Contents/MacOS/Patchwell 5"
    pack kit "$work/kit" --data "$work/builds/5.0.1" "$work/builds/5.0.2" \
        --new "$work/builds/5.0.2/Patchwell 5" --name "Bench Update"
fi
bundle_zip="$work/kit/Bench Update.zip"
if selected 2; then
    make_large_files "$work/large/files" "$large_count" $((large_mib / large_count))
    pack archive "$work/large.zip" "$work/large/files"
fi
if selected 3; then
    make_many_files "$work/tiny/files" 20000 200
    pack archive "$work/tiny.zip" "$work/tiny/files"
fi
if selected 4; then
    make_many_files "$work/small/files" 60000 2000
    pack archive "$work/small.zip" "$work/small/files"
fi
if selected 5 || selected 7 || selected 10; then
    mkdir -p "$work/Applications"
    cp -a "$work/builds/5.0.1/Patchwell 5" "$work/Applications/Patchwell 5"
    cp -a "$work/builds/5.0.1/Patchwell 5" "$work/Applications/Patchwell 5 Studio"
    find "$work/Applications" -type f -print0 >"$work/installed-files"
fi

# The tools, each called as TOOL INPUT OUTPUT (see paired_series).
ours_extract() { timed "$build/ExtractBench" --once "$1" "$2"; }
unzip_extract() { timed unzip -q -P "$key" "$1" -d "$2"; }
sevenzip_extract() { timed 7z x -bd -y -p"$key" -o"$2" "$1"; }
bsdtar_extract() { mkdir "$2" && timed bsdtar -x --passphrase "$key" -f "$1" -C "$2"; }

# A cache of its own for every run of ours: empty, it is a first start that
# reads every file; row 7 starts from the cache a first start left.
ours_list() { XDG_CACHE_HOME="$2.cache" timed "$build/patchwell-updater" --bundle "$work/kit" --applications "$1" --list; }
ours_list_cached() {
    cp -a "$work/warm-cache" "$2.cache"
    XDG_CACHE_HOME="$2.cache" timed "$build/patchwell-updater" --bundle "$work/kit" --applications "$1" --list
}
# Row 8: the extraction of row 1 on the first core alone, and on the first two.
ours_extract_1_core() { timed taskset -c 0 "$build/ExtractBench" --once "$1" "$2"; }
ours_extract_2_cores() { timed taskset -c 0,1 "$build/ExtractBench" --once "$1" "$2"; }
# md5sum on both cores: the list in two halves, one process each.
md5sum_list() {
    local count
    count=$(tr -cd '\0' <"$work/installed-files" | wc -c)
    timed xargs -0 -P 2 -n $(((count + 1) / 2)) -a "$work/installed-files" md5sum
}

# An applications folder of its own for every run, holding the installed
# copy: start-up looks at every copy in it.
installed_copy() {
    mkdir -p "$1/Applications"
    cp -a "$work/builds/5.0.1/Patchwell 5" "$1/Applications/"
}
ours_apply() {
    installed_copy "$2"
    XDG_CACHE_HOME="$2/cache" timed "$build/patchwell-updater" --bundle "$work/kit" --applications "$2/Applications" \
        --apply "$2/Applications/Patchwell 5"
}
# The archive's entries lie under NewFiles/, which unzip cannot strip: they
# are written beside the installed bundle rather than over it.
peer_apply() {
    installed_copy "$2"
    # shellcheck disable=SC2016 # expanded by that shell
    timed sh -c 'cp -a "$1/Patchwell 5.app" "$1/Patchwell 5 backup.app" && unzip -q -o -P "$2" "$3" -d "$1"' \
        sh "$2/Applications/Patchwell 5" "$key" "$1"
}

# ratio A B: A / B to two places
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# archive_label ARCHIVE: its entries and the megabytes they unpack to
archive_label() {
    unzip -Zt "$1" | awk '{ gsub(",", ""); printf "%d entries, %.0f MB", $1, $3 / 1e6 }'
}

# ratio_cell TOOL PEER: the median of the paired ratios and, in brackets,
# the smallest and the largest: how much the load moved them
ratio_cell() {
    local ratios
    mapfile -t ratios < <(paired_ratios "$1" "$2" | sort -g)
    printf '%s [%s, %s]' "$(ratio "$(median "${ratios[@]}")" 1)" "$(ratio "${ratios[0]}" 1)" "$(ratio "${ratios[-1]}" 1)"
}

# median_ratio TOOL PEER: the median of the paired ratios alone
median_ratio() {
    local ratios
    mapfile -t ratios < <(paired_ratios "$1" "$2")
    ratio "$(median "${ratios[@]}")" 1
}

table=()
# add_row LABEL OURS PEER [OTHER PEERS...]: a table row from the last series
add_row() {
    local label=$1 mine=$2 theirs=$3 extra=("${@:4}") others=("-" "-") other
    for other in "${extra[@]}"; do
        case $other in
        sevenzip_extract) others[0]=$(median_ratio sevenzip_extract "$theirs") ;;
        bsdtar_extract) others[1]=$(median_ratio bsdtar_extract "$theirs") ;;
        esac
    done
    table+=("$(printf '| %-40s | %7.2f | %7.2f | %-18s | %9d | %9d | %6.2f | %8s | %12s |' "$label" \
        "${series_seconds[$mine]}" "${series_seconds[$theirs]}" "$(ratio_cell "$mine" "$theirs")" \
        "${series_peak[$mine]}" "${series_peak[$theirs]}" "$(ratio "${series_peak[$mine]}" "${series_peak[$theirs]}")" \
        "${others[@]}")")
}

# extraction_row NUMBER NAME ARCHIVE: rows 1-4
extraction_row() {
    local number=$1 name=$2 archive=$3
    progress "Row $number: $name"
    cat "$archive" >/dev/null
    paired_series "$number" "$archive" ours_extract "${peers[@]}"
    add_row "$number. $name: $(archive_label "$archive")" ours_extract "${peers[@]}"
}

load_start=$(cut -d' ' -f1-3 /proc/loadavg)
if selected 1; then extraction_row 1 "bundle" "$bundle_zip"; fi
# Right after row 1, on the same archive: later rows leave gigabytes of
# output behind, whose writing back would be measured as well.
if selected 8 && command -v taskset >/dev/null; then
    progress "Row 8: one core against two"
    cat "$bundle_zip" >/dev/null
    paired_series 8 "$bundle_zip" ours_extract_1_core ours_extract_2_cores
    add_row "8. bundle on 1 core / on 2 (taskset)" ours_extract_1_core ours_extract_2_cores
fi
if selected 2; then extraction_row 2 "large entries" "$work/large.zip"; fi
if selected 3; then extraction_row 3 "tiny entries" "$work/tiny.zip"; fi
if selected 4; then extraction_row 4 "small entries" "$work/small.zip"; fi
if selected 5; then
    progress "Row 5: --list"
    xargs -0 -a "$work/installed-files" cat >/dev/null
    paired_series 5 "$work/Applications" ours_list md5sum_list
    add_row "5. --list, 2 copies of $(du -sm "$work/Applications" | cut -f1) MB" ours_list md5sum_list
fi
if selected 6; then
    progress "Row 6: --apply"
    cat "$bundle_zip" >/dev/null
    paired_series 6 "$bundle_zip" ours_apply peer_apply
    add_row "6. --apply: $(archive_label "$bundle_zip")" ours_apply peer_apply
fi
if selected 7; then
    progress "Row 7: --list again"
    # A file changed less than two seconds before it is read is not kept.
    sleep 3
    XDG_CACHE_HOME="$work/warm-cache" "$build/patchwell-updater" --bundle "$work/kit" \
        --applications "$work/Applications" --list >/dev/null
    paired_series 7 "$work/Applications" ours_list_cached md5sum_list
    add_row "7. --list again, the digests cached" ours_list_cached md5sum_list
fi
figures=()
if selected 9 && [ -x "$build/DecoderBench" ]; then
    progress "Row 9: decryption"
    figures+=("9. traditional decryption alone, one core: $("$build/DecoderBench" --benchmark_filter=CipherAlone \
        --benchmark_repetitions="$rounds" --benchmark_format=json 2>/dev/null | python3 -c '
import json, statistics, sys
runs = [b["bytes_per_second"] for b in json.load(sys.stdin)["benchmarks"] if b.get("run_type") == "iteration"]
print("%.0f MiB/s (median of %d; smallest %.0f, largest %.0f)" % (statistics.median(runs) / 2**20, len(runs),
      min(runs) / 2**20, max(runs) / 2**20))')")
fi
# window_ms PLATFORM APPLICATIONS: milliseconds from the process start to the
# main window shown, the median of the rounds
window_ms() {
    local platform=$1 applications=$2 times=() start end round
    for ((round = 0; round < rounds; round++)); do
        start=$(date +%s%N)
        end=$(XDG_CACHE_HOME="$work/window-cache.$round" QT_QPA_PLATFORM=$platform \
            "$build/WindowBench" shown --bundle "$work/kit" --applications "$applications")
        times+=("$(((end - start) / 1000000))")
    done
    median "${times[@]}"
}
if selected 10 && [ -x "$build/WindowBench" ]; then
    progress "Row 10: the first window"
    mkdir -p "$work/no-copies"
    xargs -0 -a "$work/installed-files" cat >/dev/null
    figures+=("10. start to the first window, offscreen: $(window_ms offscreen "$work/no-copies") ms with no copy, \
$(window_ms offscreen "$work/Applications") ms with row 5's copies checked beside it")
    if command -v Xvfb >/dev/null; then
        Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        sleep 1
        figures+=("    on an X server (Xvfb): $(DISPLAY=:77 window_ms xcb "$work/no-copies") ms with no copy, \
$(DISPLAY=:77 window_ms xcb "$work/Applications") ms with row 5's copies checked beside it")
        kill "$xvfb"
    fi
fi
load_end=$(cut -d' ' -f1-3 /proc/loadavg)
progress "Done"

echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) × $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo), $rounds rounds"
echo "load average (1, 5, 15 min): before making the inputs $load_before, at the first timed run $load_start, at the end $load_end"
echo
printf '| %-40s | %7s | %7s | %-18s | %9s | %9s | %6s | %8s | %12s |\n' row "ours s" "peer s" "ratio [range]" \
    "ours KB" "peer KB" memory 7z/unzip bsdtar/unzip
echo "|------------------------------------------|--------:|--------:|--------------------|----------:|----------:|-------:|---------:|-------------:|"
printf '%s\n' "${table[@]}"
echo
if ((${#figures[@]})); then printf '%s\n' "${figures[@]}" && echo; fi
echo "peer: unzip -P for rows 1-4 and 6 (after cp -a of the bundle to a backup), md5sum on two cores for rows 5"
echo "and 7, ours on two cores for row 8 (it says what a second core brings; on N cores the workers are"
echo "min(N, 8), and the entries' order, the log and the progress stay on one thread)."
echo "Times are medians; a ratio is the median of the rounds' ratios (each of two runs in the same round),"
echo "with the smallest and the largest in brackets; peak memory is the largest of the rounds."
