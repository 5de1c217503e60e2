#pragma once

// The path queries and user folders that the lowest layer needs itself live
// there; they are system services all the same, so this header offers them too.
#include "foundation/Cstring.h"
#include "foundation/PathAttributes.h"
#include "foundation/UserFolders.h"

#include <ctime>

// File and folder services over POSIX, in the shape the rest of the system
// expects from the host.

bool FileExists(const char* thePath);

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
