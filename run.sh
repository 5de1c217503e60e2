#!/usr/bin/env bash
# Installs what is missing, builds, prepares a demo updater folder and starts
# the updater on it with its diagnostics on standard error.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
install_missing_packages

build=build/run
cmake -S . -B "$build" -DPW_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target patchwell-updater

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/updater" "$demo/Applications" "$demo/new/Patchwell 5.app/Contents/MacOS"
printf 'Spring Update for Patchwell 5\n\nThis update brings the new block library.\n' >"$demo/updater/readme.txt"
printf 'new build\n' >"$demo/new/Patchwell 5.app/Contents/MacOS/Patchwell"
(cd "$demo/new" && zip -qr "../updater/Spring Update.zip" .)

echo "Demo updater folder: $demo/updater"
"$build/patchwell-updater" --bundle "$demo/updater" --applications "$demo/Applications" --diagnostics -
