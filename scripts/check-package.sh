#!/usr/bin/env bash
# Builds the programs and the Debian packages as a distribution would and
# checks them: blhc on the build's commands, hardening-check on the
# programs, strings for the build folder, lintian on both packages, and
# what each package depends on. Exits non-zero at the first check that
# fails. Usage: scripts/check-package.sh [BUILD_DIR] (default build/run)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
install_missing_packages
install_missing_packages "${PW_PACKAGE_CHECKS[@]}"

build=${1:-build/run}
cmake -S . -B "$build" -DPW_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# blhc reads the command lines of a whole build; ccache makes the rebuild cheap.
cmake --build "$build" --target clean
VERBOSE=1 cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1 || {
    tail -n 30 "$build/build.log"
    exit 1
}

echo "== blhc on $build/build.log"
blhc --all --arch "$(dpkg --print-architecture)" "$build/build.log"

echo "== hardening-check"
hardening-check "$build/patchwell-updater" "$build/patchwell-pack"

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
echo "== lintian"
lintian --fail-on warning,error --no-tag-display-limit "$build"/*.deb
echo "The packages pass every check."
