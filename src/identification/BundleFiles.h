#pragma once

#include "foundation/Arrays.h"
#include "foundation/Cstring.h"

// What a bundle holds: the fixed places inside it, its files, and the
// executable its Info.plist names.

const char kBundleEnding[] = ".app";
const char kBundleExecutableFolder[] = "Contents/MacOS/";
const char kBundleInfoFile[] = "/Contents/Info.plist";

// theName without a last ".app" ending of any case.
Cstring WithoutBundleEnding(const char* theName);

// Appends the full path of every file under theFolder, depth first in listing
// order. Hidden and system names are skipped, and bundles inside (".app",
// ".pkg") are listed as one path, not entered.
void CollectFiles(CStringArray& theTarget, const char* theFolder);

// The value of the line after "<key>CFBundleExecutable</key>" that is wholly
// "<string>...</string>", or empty (also when key and value share a line).
Cstring GetBundleExecutable(const char* thePath);
