#!/usr/bin/env bash
# Installs what is missing, builds, makes a demo signing key and a signed demo
# update kit from two builds of Patchwell that name the key, installs the
# older build in a demo applications folder, and runs the updater on it: in
# its window when there is a display, else unattended, followed by pictures of
# the wizard rendered offscreen.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
install_missing_packages

build=build/run
# The distribution's configuration (optimized, with debug info to split off
# into the -dbgsym packages), and the default target: everything that
# `cmake --install` and the packages take.
cmake -S . -B "$build" -DPW_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

# The demo vendor's key pair stays in the build folder from run to run and is
# never committed: a real vendor keeps the secret key off every shared place.
keys="$(pwd)/$build/demo-key"
if [ ! -s "$keys/vendor.key" ] || [ ! -s "$keys/vendor.pub" ]; then
    echo "== The demo vendor makes its signing key"
    rm -rf "$keys"
    mkdir -m 700 -p "$keys"
    "$build/patchwell-pack" keygen "$keys/vendor.key" >"$keys/vendor.pub"
fi
public_key=$(cat "$keys/vendor.pub")

demo="$(pwd)/$build/demo"
rm -rf "$demo"
echo "== Two builds of Patchwell 5: 5.0.1 (installed) and 5.0.2 (the update), both naming the key $public_key"
bash scripts/make-demo-build.sh "$demo/builds/5.0.1/Patchwell 5" 5.0.1 "2025-03-01 10:00:00" "$public_key"
bash scripts/make-demo-build.sh "$demo/builds/5.0.2/Patchwell 5" 5.0.2 "2026-11-20 09:30:00" "$public_key"
mkdir -p "$demo/Applications"
cp -a "$demo/builds/5.0.1/Patchwell 5" "$demo/Applications/"
printf 'Spring Update for Patchwell 5\r\n\r\nThis update brings Patchwell 5 to version 5.0.2.\r\n' >"$demo/readme.txt"

echo "== The vendor makes the update kit, signed, and checks it as a user would receive it"
kit="$demo/Spring Update Kit"
"$build/patchwell-pack" kit "$kit" --data "$demo/builds/5.0.1" "$demo/builds/5.0.2" \
    --new "$demo/builds/5.0.2/Patchwell 5" --readme "$demo/readme.txt" --name "Spring Update" \
    --sign "$keys/vendor.key"
"$build/patchwell-pack" verify "$kit" --key "$keys/vendor.pub"

updater=("$kit/patchwell-updater" --bundle "$kit" --applications "$demo/Applications")
# The demo's runs keep their history of updates with the demo, not in the
# user's (or, for root, the machine's) own.
export XDG_STATE_HOME="$demo/state"

# With a display, the person runs the update in the wizard. A display that is
# named but does not answer (the DISPLAY of an ended remote session) is told
# by the updater itself, and the demo then goes on as without one.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== The updater opens its window on the kit: choose the demo copy and click Next"
    "${updater[@]}" 2>"$demo/window.err" || true
    cat "$demo/window.err" >&2
    # The updater speaks the user's language: English or the German of its kit.
    if ! grep -qE "cannot open the display|Anzeige .* lässt sich nicht öffnen" "$demo/window.err"; then
        log="$demo/Applications/Patchwell 5/Updater Log File.txt"
        if [ -f "$log" ]; then
            echo "== The updater's log"
            cat "$log"
            echo "  Log: $log"
        else
            echo "The window was closed before an update ran."
        fi
        exit 0
    fi
    echo
fi

echo "== The updater starts on the kit"
"${updater[@]}" --diagnostics - --list 2>&1 | grep -E '^(Updater folder|Update archive|Install name|Key text|Applications folder|Program folder|Working folder|Projects folder):' || true
"${updater[@]}" --list

echo "== It updates the installed copy"
"${updater[@]}" --apply "$demo/Applications/Patchwell 5"

echo "== The updater's log"
cat "$demo/Applications/Patchwell 5/Updater Log File.txt"
echo "== The installation now"
ls -l "$demo/Applications/Patchwell 5"
"$demo/Applications/Patchwell 5/Patchwell 5.app/Contents/MacOS/Patchwell"
echo
echo "The demo installation was updated to 5.0.2."
echo "  Log:    $demo/Applications/Patchwell 5/Updater Log File.txt"
echo "  Backup: $(ls -d "$demo/Applications/Patchwell 5/Patchwell 5_Backup_"*.app)"
echo "  History of updates: $XDG_STATE_HOME/Patchwell/updates.log"
sed 's/^/    /' "$XDG_STATE_HOME/Patchwell/updates.log"

# Without a display, pictures of the wizard show what a person would see; the
# walk-through updates a copy of its own.
echo
echo "== The wizard, rendered offscreen on the kit"
mkdir -p "$demo/screens/Applications"
cp -a "$demo/builds/5.0.1/Patchwell 5" "$demo/screens/Applications/"
"$build/patchwell-screenshots" --bundle "$kit" --applications "$demo/screens/Applications" \
    --out "$demo/screenshots" | sed 's/^/  /'
