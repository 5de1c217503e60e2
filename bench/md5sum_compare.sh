# Sourced by the benchmark scripts that hold our digesting against md5sum.

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

# compare_to_md5sum LABEL FOLDER VARIABLE PROGRAM: runs the Google Benchmark
# PROGRAM with VARIABLE=FOLDER and md5sum over every file under FOLDER, three
# rounds each from a warm cache, and prints the best times and their ratio.
compare_to_md5sum() {
    local label=$1 folder=$2 variable=$3 program=$4
    local files
    files=$(mktemp)
    find "$folder" -type f -print0 >"$files"
    xargs -0 cat <"$files" >/dev/null
    local ours=() peer=() round start
    for round in 1 2 3; do
        ours+=("$(env "$variable=$folder" "$program" --benchmark_format=json 2>/dev/null |
            python3 -c 'import json,sys; print(json.load(sys.stdin)["benchmarks"][0]["real_time"] / 1000)')")
        start=$(date +%s.%N)
        xargs -0 md5sum <"$files" >/dev/null
        peer+=("$(echo "$(date +%s.%N) - $start" | bc -l)")
    done
    local ours_best peer_best
    ours_best=$(printf '%s\n' "${ours[@]}" | sort -g | head -1)
    peer_best=$(printf '%s\n' "${peer[@]}" | sort -g | head -1)
    printf 'files: %s  bytes: %s  load: %s\n' "$(tr -cd '\0' <"$files" | wc -c)" "$(du -sb "$folder" | cut -f1)" \
        "$(cut -d' ' -f1 /proc/loadavg)"
    printf '%-14s (best of 3): %.3f s\nmd5sum         (best of 3): %.3f s\nratio ours/md5sum: %.2f\n' \
        "$label" "$ours_best" "$peer_best" "$(echo "$ours_best / $peer_best" | bc -l)"
    rm -f "$files"
}
