#!/usr/bin/env bash
# The wizard's responsiveness, offscreen: the time from process start to the
# main window shown (best of 5) with an empty applications folder and with two
# installed copies of a ~150 MB build, the progress page's repaints per second,
# and the time from an Escape key to the abort question during the update of
# that build (median and worst of the run's questions, answered No).
# Usage: bench/window_bench.sh [build folder with -DPW_BENCH=ON]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/bench}
# shellcheck source=bench/common.sh
source "$here/common.sh" # make_bundle

work=$(mktemp -d /tmp/pw-window-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Two builds of one large bundle: the new one differs in its program.
for version in 5.0.1 5.0.2; do
    bash "$here/../scripts/make-demo-build.sh" "$work/builds/$version/Patchwell 5" "$version" "2026-01-02 03:04:05"
done
make_bundle "$work/large"
for version in 5.0.1 5.0.2; do
    cp -a "$work/large/Contents/Resources/." "$work/builds/$version/Patchwell 5/Patchwell 5.app/Contents/Resources/"
done
"$build/patchwell-pack" kit "$work/kit" --data "$work/builds/5.0.1" "$work/builds/5.0.2" \
    --new "$work/builds/5.0.2/Patchwell 5" --name "Large Update" >/dev/null
mkdir -p "$work/empty" "$work/two"
cp -a "$work/builds/5.0.1/Patchwell 5" "$work/two/Patchwell 5"
cp -a "$work/builds/5.0.1/Patchwell 5" "$work/two/Patchwell 5 Studio"
find "$work/two" -type f -exec cat {} + >/dev/null # a warm cache, as on a second start

# shown APPLICATIONS: milliseconds from the start of the process to the window shown
shown() {
    local start end
    start=$(date +%s%N)
    end=$("$build/WindowBench" shown --bundle "$work/kit" --applications "$1")
    echo "scale=1; ($end - $start) / 1000000" | bc
}
best_of_5() {
    local times=()
    for _ in 1 2 3 4 5; do times+=("$(shown "$1")"); done
    printf '%s\n' "${times[@]}" | sort -g | head -1
}

echo "load: $(cut -d' ' -f1 /proc/loadavg)"
echo "start to window shown, empty applications folder: $(best_of_5 "$work/empty") ms (goal 300 ms)"
echo "start to window shown, two installed copies of $(du -sh "$work/two/Patchwell 5" | cut -f1): $(best_of_5 "$work/two") ms"
echo "progress page repaints per second (bar, percentage, counter, name): $("$build/WindowBench" repaint --bundle "$work/kit" --applications "$work/empty")"
echo "Escape to abort question during the update: $("$build/WindowBench" escape --bundle "$work/kit" --applications "$work/two") (goal under 100 ms)"
