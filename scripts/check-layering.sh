#!/usr/bin/env bash
# Fails on any #include "..." in src/ that goes against the layering, naming the
# file, the line and the two layers; and on any <zip.h> outside the vendor tool.
#   scripts/check-layering.sh [ROOT]    ROOT: the source tree (default: this one)
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"

# The layers, lowest first: foundation, platform, identification, zip, engine,
# ui, app. An include may point to its own layer or down, never up. zip is a
# library of its own and sees only itself. qt (the toolkit's host) stands to
# the side: it sees platform and foundation only, and app, which starts it,
# sees it. tools (the vendor's program) sees everything up to the engine.
# Each row: a layer, then what its files may include.
declare -A kMaySee=(
    [foundation]="foundation"
    [platform]="platform foundation"
    [identification]="identification platform foundation"
    [zip]="zip"
    [engine]="engine zip identification platform foundation"
    [ui]="ui engine zip identification platform foundation"
    [app]="app qt ui engine zip identification platform foundation"
    [qt]="qt platform foundation"
    [tools]="tools engine zip identification platform foundation"
)
# A folder whose layer is not its first folder under src/ (none now).
declare -A kFolderLayer=()
# Only the vendor tool writes archives with libzip; the updater reads its own.
kZipHeaderAllowedIn=src/tools/

LayerOf()
{
    local folder=${1%/*}
    while [[ $folder == src/* ]]; do
        if [[ -n ${kFolderLayer[$folder]:-} ]]; then
            echo "${kFolderLayer[$folder]}"
            return
        fi
        folder=${folder%/*}
    done
    folder=${1#src/}
    echo "${folder%%/*}"
}

failures=0
quoted='"([^"]*)"'
last=""

while IFS=: read -r file line text; do
    [[ $text =~ $quoted ]] || continue
    included=${BASH_REMATCH[1]}
    [[ $file == "$last" ]] || from=$(LayerOf "$file")
    last=$file
    to=${included%%/*}
    [[ -n $to && $included == */* && -n ${kMaySee[$to]+set} ]] || to=""
    allowed=" ${kMaySee[$from]:-} "
    [[ -n $to && $allowed == *" $to "* ]] && continue
    if [[ -z ${kMaySee[$from]+set} ]]; then
        echo "$file:$line: $file lies in no layer (src/$from is not in the table)"
    elif [[ -z $to ]]; then
        echo "$file:$line: \"$included\" names no layer: an include starts with the folder of its layer"
    else
        echo "$file:$line: $from includes $to (\"$included\"); $from may include only: ${kMaySee[$from]}"
    fi
    failures=$((failures + 1))
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src --include='*.h' --include='*.cpp' | sort)

while IFS=: read -r file line text; do
    [[ $file == "$kZipHeaderAllowedIn"* ]] && continue
    echo "$file:$line: includes <zip.h>; only ${kZipHeaderAllowedIn%/} may use libzip"
    failures=$((failures + 1))
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<zip\.h>' src | sort)

if [ "$failures" -gt 0 ]; then
    echo "$failures include(s) against the layering" >&2
    exit 1
fi
