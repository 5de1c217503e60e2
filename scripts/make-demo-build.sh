#!/usr/bin/env bash
# Makes one small but realistic build of Patchwell in FOLDER:
#   FOLDER/Patchwell 5.app (Info.plist naming the executable, resources in
#   nested folders) and a Help folder beside the bundle. With KEY (a public
#   key in base64, as patchwell-pack keygen prints it), the Info.plist names
#   it as the key that signs this program's updates.
# Usage: make-demo-build.sh FOLDER VERSION DATE [KEY]
set -euo pipefail
folder=$1 version=$2 date=$3 key=${4:-}
# Checked first because it goes into XML unescaped.
if [ -n "$key" ] && ! [[ $key =~ ^[A-Za-z0-9+/]{43}=$ ]]; then
    echo "make-demo-build.sh: '$key' is not a public key (44 characters of base64)" >&2
    exit 2
fi
bundle="$folder/Patchwell 5.app"
mkdir -p "$bundle/Contents/MacOS" "$bundle/Contents/Resources/Blocks/Traditional" \
         "$bundle/Contents/Resources/Fabrics" "$bundle/Contents/Resources/English.lproj" "$folder/Help"

{
cat <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>CFBundleName</key>
	<string>Patchwell 5</string>
	<key>CFBundleExecutable</key>
	<string>Patchwell</string>
	<key>CFBundleShortVersionString</key>
	<string>$version</string>
PLIST
if [ -n "$key" ]; then
    printf '\t<key>PWUpdateSigningKey</key>\n\t<string>%s</string>\n' "$key"
fi
printf '</dict>\n</plist>\n'
} >"$bundle/Contents/Info.plist"
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
