#!/usr/bin/env bash
# Makes one small but realistic build of Patchwell in FOLDER:
#   FOLDER/Patchwell 5.app (Info.plist naming the executable, resources in
#   nested folders) and a Help folder beside the bundle.
# Usage: make-demo-build.sh FOLDER VERSION DATE
set -euo pipefail
folder=$1 version=$2 date=$3
bundle="$folder/Patchwell 5.app"
mkdir -p "$bundle/Contents/MacOS" "$bundle/Contents/Resources/Blocks/Traditional" \
         "$bundle/Contents/Resources/Fabrics" "$bundle/Contents/Resources/English.lproj" "$folder/Help"

cat >"$bundle/Contents/Info.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>CFBundleName</key>
	<string>Patchwell 5</string>
	<key>CFBundleExecutable</key>
	<string>Patchwell</string>
	<key>CFBundleShortVersionString</key>
	<string>$version</string>
</dict>
</plist>
PLIST
printf '#!/bin/sh\necho "Patchwell %s"\n' "$version" >"$bundle/Contents/MacOS/Patchwell"
chmod 755 "$bundle/Contents/MacOS/Patchwell"
printf 'APPL????' >"$bundle/Contents/PkgInfo"
for block in "Log Cabin" "Nine Patch" "Flying Geese" "Ohio Star"; do
    printf 'block "%s"\nversion %s\ngrid 4x4\n' "$block" "$version" >"$bundle/Contents/Resources/Blocks/Traditional/$block.blk"
done
# A larger binary resource, different in every version.
head -c 200000 /dev/zero | tr '\0' "${version: -1}" >"$bundle/Contents/Resources/Fabrics/Calico.fab"
printf '"Open" = "Open";\n"Version" = "%s";\n' "$version" >"$bundle/Contents/Resources/English.lproj/Localizable.strings"
printf '<html><body><h1>Patchwell %s Help</h1></body></html>\n' "$version" >"$folder/Help/index.html"
find "$folder" -exec touch -h -d "$date" {} +
