#!/usr/bin/env bash
# Builds the programs and the Debian packages as a distribution would and
# checks them: blhc on the build's commands, hardening-check on the
# programs, strings for the build folder, what each package depends on,
# that the packages hold exactly what `cmake --install` puts, and lintian on
# both packages and their -dbgsym. Exits non-zero at the first check that
# fails. Usage: scripts/check-package.sh [BUILD_DIR] (default build/run)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
install_missing_packages
install_missing_packages "${PW_PACKAGE_CHECKS[@]}"

build=${1:-build/run}
cmake -S . -B "$build" -DPW_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# blhc reads the command lines of a whole build, from the line with which
# dpkg-buildpackage starts one; ccache makes the rebuild cheap.
cmake --build "$build" --target clean
echo "dpkg-buildpackage: info: host architecture $(dpkg --print-architecture)" >"$build/build.log"
VERBOSE=1 cmake --build "$build" -j "$(nproc)" >>"$build/build.log" 2>&1 || {
    tail -n 30 "$build/build.log"
    exit 1
}

echo "== blhc on $build/build.log"
blhc --all --arch "$(dpkg --print-architecture)" "$build/build.log"

echo "== hardening-check"
# Our code is built for Intel CET (-fcf-protection), but Debian 12's own
# start files (crt1.o, crti.o) lack its note, so the linker drops it from
# every program: the check cannot find it there until glibc has it too.
cf=()
readelf -n "$(gcc -print-file-name=crti.o)" | grep -q 'x86 feature: IBT' || cf=(--nocfprotection)
hardening-check "${cf[@]}" "$build/patchwell-updater" "$build/patchwell-pack"

echo "== strings: the build folder must not appear in the programs"
for program in patchwell-updater patchwell-pack; do
    if strings "$build/$program" | grep -F "$(pwd)"; then
        echo "$program names the build folder" >&2
        exit 1
    fi
done

echo "== the packages"
rm -f "$build"/*.deb "$build"/*.ddeb
(cd "$build" && cpack >/dev/null)
for package in "$build"/*.deb "$build"/*.ddeb; do
    echo "-- $(basename "$package")"
    dpkg-deb -f "$package" Package Version Depends Recommends Suggests Installed-Size
done
echo "== every file the install puts is in one of the packages"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
DESTDIR=$tree cmake --install "$build" --prefix /usr >/dev/null
installed=$(cd "$tree" && find . ! -type d | sort)
packaged=$(for package in "$build"/*.deb; do dpkg-deb -c "$package"; done | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$installed" != "$packaged" ]; then
    diff <(echo "$installed") <(echo "$packaged") >&2 || true
    echo "the packages and the install differ (< install only, > packages only)" >&2
    exit 1
fi
echo "== lintian"
lintian --fail-on warning,error --tag-display-limit 0 "$build"/*.deb "$build"/*.ddeb
echo "The packages pass every check."
