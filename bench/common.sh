# shellcheck shell=bash disable=SC2034,SC2154 # the sourcing script sets $work and $rounds, reads series_*
# Sourced by the benchmark scripts: the inputs they make by code, and the
# timing they share. The functions that time or write notes use the script's
# work folder, $work; paired_series makes $rounds rounds.

# make_bundle FOLDER: an application bundle of about 150 MB in about 1500
# files of mixed sizes.
make_bundle() {
    local bundle=$1
    mkdir -p "$bundle/Contents/MacOS" "$bundle/Contents/Resources"
    printf '<key>CFBundleExecutable</key>\n<string>Patchwell 5</string>\n' >"$bundle/Contents/Info.plist"
    head -c 20000000 /dev/urandom >"$bundle/Contents/MacOS/Patchwell 5"
    local i
    for i in $(seq 1 1499); do
        local folder="$bundle/Contents/Resources/group$((i % 30))"
        mkdir -p "$folder"
        # sizes from 1 KB to about 170 KB, 130 MB in all
        head -c $(((i * 7919) % 172000 + 1024)) /dev/urandom >"$folder/file$i.dat"
    done
}

# make_many_files FOLDER COUNT MOST: COUNT files of 1 to MOST bytes of text,
# 200 to a subfolder. One awk writes them all: a process per file would take
# minutes for tens of thousands.
make_many_files() {
    local folder=$1 count=$2 most=$3
    local groups=$(((count + 199) / 200)) names=() i
    for ((i = 0; i < groups; i++)); do names+=("$folder/group$i"); done
    mkdir -p "${names[@]}"
    head -c 3000000 /dev/urandom | base64 -w 0 |
        folder=$folder count=$count most=$most groups=$groups awk '
            { pool = $0 }
            END {
                folder = ENVIRON["folder"]; count = ENVIRON["count"] + 0
                most = ENVIRON["most"] + 0; groups = ENVIRON["groups"] + 0
                room = length(pool) - most
                srand(1)
                for (i = 0; i < count; i++) {
                    path = folder "/group" (i % groups) "/f" i ".txt"
                    printf "%s", substr(pool, int(rand() * room) + 1, i % most + 1) > path
                    close(path)
                }
            }'
}

# make_large_files FOLDER COUNT MIB: COUNT files of MIB MiB each, partly
# compressible: every MiB is half random bytes and half decimal numbers, so
# that inflating does real work in both halves.
make_large_files() {
    local folder=$1 count=$2 mib=$3 text i j
    mkdir -p "$folder"
    text=$(seq 1 91000)
    text=${text:0:524288}
    for ((i = 1; i <= count; i++)); do
        for ((j = 0; j < mib; j++)); do
            head -c 524288 /dev/urandom
            printf '%s' "$text"
        done >"$folder/part$i.dat"
    done
}

# median NUMBER...: the middle of the numbers given
median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# timed COMMAND...: runs COMMAND after a sync, with its output discarded, and
# prints "SECONDS KILOBYTES": its wall time and its peak resident memory (of
# the largest of its processes). When COMMAND fails, says so with its error
# output and fails.
timed() {
    local start end
    sync
    start=$EPOCHREALTIME
    if ! /usr/bin/time -f %M -o "$work/memory" "$@" >/dev/null 2>"$work/errors"; then
        printf 'failed: %s\n' "$*" >&2
        cat "$work/errors" >&2
        return 1
    fi
    end=$EPOCHREALTIME
    echo "$(awk -v start="$start" -v end="$end" 'BEGIN { printf "%.3f", end - start }') $(tail -1 "$work/memory")"
}

# paired_series NAME INPUT TOOL...: rounds ($rounds) of every TOOL on INPUT,
# each round in the order of the last one moved by one, so that every TOOL
# goes before and after every other equally often. A TOOL is a command called
# as TOOL INPUT OUTPUT that prints what timed prints; OUTPUT is a fresh path
# under $work/runs/NAME. Nothing is removed here: a file system that holds
# back freed inodes would be measured instead of the TOOL.
# Sets series_seconds[TOOL] to the median time, series_peak[TOOL] to the
# largest peak and series_times[TOOL] to the times of the rounds, in order.
declare -gA series_seconds series_peak series_times
paired_series() {
    local name=$1 input=$2
    shift 2
    local tools=("$@") round k tool result
    mkdir -p "$work/runs/$name"
    for tool in "${tools[@]}"; do
        series_times[$tool]=""
        series_peak[$tool]=0
    done
    for ((round = 0; round < rounds; round++)); do
        for ((k = 0; k < ${#tools[@]}; k++)); do
            tool=${tools[(round + k) % ${#tools[@]}]}
            result=$("$tool" "$input" "$work/runs/$name/$tool.$round")
            series_times[$tool]+="${result% *} "
            if ((${result#* } > ${series_peak[$tool]})); then series_peak[$tool]=${result#* }; fi
        done
    done
    for tool in "${tools[@]}"; do
        # shellcheck disable=SC2086 # the times are words
        series_seconds[$tool]=$(median ${series_times[$tool]})
    done
}

# paired_ratios TOOL PEER: TOOL's time over PEER's in each round, one a line,
# after paired_series
paired_ratios() {
    local tool_times peer_times i
    read -ra tool_times <<<"${series_times[$1]}"
    read -ra peer_times <<<"${series_times[$2]}"
    for i in "${!tool_times[@]}"; do
        awk -v a="${tool_times[i]}" -v b="${peer_times[i]}" 'BEGIN { printf "%.4f\n", a / b }'
    done
}

# compare_to_md5sum LABEL FOLDER VARIABLE PROGRAM: runs the Google Benchmark
# PROGRAM with VARIABLE=FOLDER and md5sum over every file under FOLDER from a
# warm cache, five rounds of each in alternating order, and prints the median
# times and their ratio.
compare_to_md5sum() {
    local label=$1 folder=$2 variable=$3 program=$4
    local files="$work/md5sum-files"
    find "$folder" -type f -print0 >"$files"
    xargs -0 cat <"$files" >/dev/null
    local ours=() peer=() round
    for round in 1 2 3 4 5; do
        ((round % 2)) && ours+=("$(benchmark_seconds "$variable=$folder" "$program")")
        peer+=("$(timed xargs -0 -a "$files" md5sum | cut -d' ' -f1)")
        ((round % 2)) || ours+=("$(benchmark_seconds "$variable=$folder" "$program")")
    done
    local ours_median peer_median
    ours_median=$(median "${ours[@]}")
    peer_median=$(median "${peer[@]}")
    printf 'files: %s  bytes: %s  load: %s\n' "$(tr -cd '\0' <"$files" | wc -c)" "$(du -sb "$folder" | cut -f1)" \
        "$(cut -d' ' -f1 /proc/loadavg)"
    printf '%-14s (median of 5): %.3f s\nmd5sum         (median of 5): %.3f s\nratio ours/md5sum: %.2f\n' \
        "$label" "$ours_median" "$peer_median" "$(awk -v a="$ours_median" -v b="$peer_median" 'BEGIN { print a / b }')"
}

# benchmark_seconds VARIABLE=VALUE PROGRAM: the real time in seconds of the
# first benchmark of the Google Benchmark PROGRAM
benchmark_seconds() {
    env "$1" "$2" --benchmark_format=json 2>/dev/null |
        python3 -c 'import json,sys; print(json.load(sys.stdin)["benchmarks"][0]["real_time"] / 1000)'
}
