#!/usr/bin/env bash
# Installs the build into a throw-away DESTDIR and checks what a user's
# machine would get: the files, programs that run from there, a desktop entry
# and AppStream metainfo that validate, man pages that render without
# warnings, icons of the sizes their folders promise, a kit made by the
# installed patchwell-pack, and a kit archive that a double click opens in the
# installed updater.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
root=$(mktemp -d "$build/install-check.XXXXXX")
trap 'rm -rf "$root"' EXIT

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
prefix=$root/usr

for file in bin/patchwell-updater bin/patchwell-pack \
            share/applications/patchwell-updater.desktop \
            share/metainfo/invalid.patchwell.updater.metainfo.xml \
            share/doc/patchwell-pack/copyright share/doc/patchwell-pack/changelog.gz \
            share/mime/packages/patchwell-updater.xml \
            share/icons/hicolor/48x48/apps/patchwell-updater.png \
            share/icons/hicolor/256x256/apps/patchwell-updater.png \
            share/man/man1/patchwell-updater.1.gz share/man/man1/patchwell-pack.1.gz \
            share/doc/patchwell-updater/copyright share/doc/patchwell-updater/changelog.gz \
            share/doc/patchwell-updater/pictures/make_icon.py \
            share/doc/patchwell-updater/pictures/make_splash.py \
            share/doc/patchwell-updater/pictures/splash.png \
            share/patchwell-updater/languages/de.json; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
for program in patchwell-updater patchwell-pack; do
    [ -x "$prefix/bin/$program" ] || fail "$program is not executable"
    version=$("$prefix/bin/$program" --version) || fail "$program --version exits with $?"
    [[ $version =~ ^$program\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$program --version says '$version'"
    help=$("$prefix/bin/$program" --help) || fail "$program --help exits with $?"
    [[ $help == *"xit status"* ]] || fail "$program --help names no exit statuses"
    # The man page documents every option the program's own help names.
    page=$(MANWIDTH=200 man -l "$prefix/share/man/man1/$program.1.gz" 2>/dev/null)
    for option in $(grep -o -- '--[a-z]\+' <<<"$help" | sort -u); do
        [[ $page == *"$option"* ]] || fail "the man page of $program does not name $option"
    done
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$program.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $program.1: $warnings"
done

desktop-file-validate "$prefix/share/applications/patchwell-updater.desktop" ||
    fail "the desktop entry does not validate"
grep -qx 'Icon=patchwell-updater' "$prefix/share/applications/patchwell-updater.desktop" ||
    fail "the desktop entry names another icon"
# Software centres read the metainfo; it must name the desktop entry installed.
metainfo=$prefix/share/metainfo/invalid.patchwell.updater.metainfo.xml
appstreamcli validate --no-net --explain "$metainfo" >"$root/appstream.txt" 2>&1 ||
    fail "the metainfo does not validate: $(cat "$root/appstream.txt")"
grep -q '<launchable type="desktop-id">patchwell-updater.desktop</launchable>' "$metainfo" ||
    fail "the metainfo names another desktop entry"

# A kit archive opens in the installed updater: its type is known by its
# extension, and the desktop entry takes that type and a file.
entry=$prefix/share/applications/patchwell-updater.desktop
grep -qx 'MimeType=application/x-patchwell-kit;' "$entry" || fail "the desktop entry takes no kit archives"
grep -qx 'Exec=patchwell-updater %f' "$entry" || fail "the desktop entry does not pass the kit it opens"
# Run as the desktop would, with the tree among its data folders.
mime_warnings=$(XDG_DATA_DIRS=$prefix/share update-mime-database "$prefix/share/mime" 2>&1) || fail "update-mime-database exits with $?"
[ -z "$mime_warnings" ] || fail "update-mime-database warns: $mime_warnings"
grep -q '^[0-9]*:application/x-patchwell-kit:\*\.pwkit$' "$prefix/share/mime/globs2" ||
    fail "the MIME database does not know *.pwkit"

for size in 48 256; do
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r -a header < <(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/${size}x$size/apps/patchwell-updater.png")
    width=$(( (header[2] << 8) | header[3] )) height=$(( (header[6] << 8) | header[7] ))
    [ "$width.$height" = "$size.$size" ] || fail "the ${size}x$size icon is ${width}x$height"
done

# The installed patchwell-pack finds the updater beside itself.
bash "$source/scripts/make-demo-build.sh" "$root/builds/a/Patchwell 5" 5.0.1 "2025-03-01 10:00:00"
"$prefix/bin/patchwell-pack" kit "$root/kit" --data "$root/builds/a" --new "$root/builds/a/Patchwell 5" \
    >/dev/null || fail "the installed patchwell-pack cannot make a kit"
cmp -s "$prefix/bin/patchwell-updater" "$root/kit/patchwell-updater" ||
    fail "the kit does not carry the installed updater"

# A double click on a kit archive in a file manager, as GIO makes it: the
# type is known by the extension, and the installed updater starts on the
# archive. Without a display it says so after it has unpacked the kit: the
# kit it names has an update archive, and it looked for copies.
if command -v gio >/dev/null && command -v update-desktop-database >/dev/null; then
    update-desktop-database "$prefix/share/applications"
    "$prefix/bin/patchwell-pack" -q kit "$root/archived" --archive --data "$root/builds/a" \
        --new "$root/builds/a/Patchwell 5" || fail "the installed patchwell-pack cannot make a kit archive"
    desktop=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_DATA_DIRS="$prefix/share" XDG_DATA_HOME="$root/data"
             XDG_CONFIG_HOME="$root/config" PATH="$prefix/bin:$PATH")
    "${desktop[@]}" gio info -a standard::content-type "$root/archived.pwkit" |
        grep -q 'standard::content-type: application/x-patchwell-kit$' ||
        fail "a kit archive is not known by its type"
    "${desktop[@]}" gio open "$root/archived.pwkit" >"$root/opened.txt" 2>&1 ||
        fail "gio open exits with $?"
    for _ in $(seq 1 300); do
        grep -q 'No copies of Patchwell were found in' "$root/opened.txt" && break
        sleep 0.1
    done
    grep -q 'No copies of Patchwell were found in' "$root/opened.txt" ||
        fail "a double click on a kit archive does not start the installed updater on it: $(cat "$root/opened.txt")"
    # GIO let it go; one that did not end by itself must not outlive the test.
    pkill -f -- "$root/archived.pwkit" || true
fi

[ "$failures" -eq 0 ] && echo "The install tree is complete."
exit $((failures > 0))
