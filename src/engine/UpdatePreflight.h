#pragma once

#include "foundation/Cstring.h"

#include <cstdio>

// Checks, before anything in the target folder is touched, all that can be
// known about the update without unpacking it: the archive opens and holds
// entries; every entry name stays inside the target once "NewFiles/" is
// mapped away, is not one of the names the run keeps for itself (the bundle's
// backups, the log, the journal), fits the file system's limits, and names
// no item that another entry names too, ignoring case; the password opens
// every entry; no size is more than a file can hold; the archive holds a file,
// and "Patchwell 5.app" with a program in it; no symbolic link lies on the way
// to a destination and no file stands where a folder goes or the reverse; and
// the file system has the blocks and the inodes for all the run writes. On
// failure theMessage says why, and the result is false; theLog gets the line
// that the archive opened, when it did, then the line of the refusal, naming
// the archive theShownPath when given (the run reads it through a path of
// its open descriptor).
bool PreflightUpdate(const char* theZipPath, const char* thePassword, const char* theTarget,
    Cstring& theMessage, FILE* theLog, const char* theShownPath = nullptr);
