#pragma once

#include "foundation/Cstring.h"

// Packs a folder as a kit archive (KIT.pwkit: POSIX ustar, gzip) that keeps
// every file's and folder's permission bits, so that a kit unpacked by hand
// still has an updater that runs. Only regular files and folders are packed;
// the entries are sorted, so the same folder always gives the same listing.
//
// The archive holds theFolder's contents under theTopName/. theArchive is
// written whole or not at all: on failure nothing of that name is left.
bool WriteKitArchive(
    const char* theArchive, const char* theFolder, const char* theTopName, Cstring& theError);
