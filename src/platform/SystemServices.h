#pragma once

#include "foundation/Cstring.h"

#include <ctime>

// File and folder services over POSIX, in the shape the rest of the system
// expects from the host.

enum PathAttributeBits {
    kPathIsLocked = 1, // this user cannot write the item
    kPathIsFolder = 2,
};

// -1 when the path cannot be examined; else a combination of PathAttributeBits.
int GetPathAttributes(const char* thePath);
bool FileExists(const char* thePath);
// Creates one folder; its parent must exist. True on success or when it exists.
bool CreateFolder(const char* thePath);

// Per-user folders from the XDG conventions; empty when they cannot be found.
Cstring PreferencesFolder();
Cstring DocumentsFolder();
Cstring DesktopFolder();

// The folder that holds the running program, its short version text and its
// build date text (empty when unknown).
void GetProgramInfo(Cstring& theFolder, Cstring& theVersion, Cstring& theBuildDate);
// Fills gSystemDescription, the machine and system text written to the log:
// "<system> <release> (<machine>)" from uname, such as "Linux 6.1.0 (x86_64)".
void DescribeSystem();
extern Cstring gSystemDescription;

// The modification time of thePath in local time as "YYYY/MM/DD hh:mm:ss";
// empty when the path cannot be opened or examined. A folder gives its own time.
Cstring FileModDateText(const char* thePath);
// theTime in local time as "Mon D, YYYY, hh:mm:ss"; empty before the year 2000.
Cstring BuildDateText(time_t theTime);

// "(code) text" for a file-system error code, "Unknown error code" for one not
// in the table. The text lives in one static buffer that the next call reuses.
const char* ErrorText(int theCode);
