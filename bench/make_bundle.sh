# Sourced by the benchmark scripts: make_bundle FOLDER builds an application
# bundle of about 150 MB in about 1500 files of mixed sizes.
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

# min_time SECONDS... : the smallest of the numbers given
min_time() {
    printf '%s\n' "$@" | sort -g | head -1
}
