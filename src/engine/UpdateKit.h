#pragma once

#include "foundation/Cstring.h"

// The built-in key text: 26 characters of [A-Za-z0-9_], never stored whole.
// Both the updater and the vendor tool build it from the same stored bytes.
void BuildDataKeyText(Cstring& theKeyText);

// Builds the key text into theKeyText, then returns the path of the first
// entry of theFolder (in name order) whose name ends in ".zip" in any case,
// or the empty text.
Cstring FindUpdateZip(const char* theFolder, Cstring& theKeyText);

// The archive's file name without a ".zip" ending of any case.
Cstring InstallNameFromZipPath(const char* theZipPath);
