#pragma once

#include "foundation/Cstring.h"

// A backup name for thePath, with a fresh random number: "<base>_Backup_NNNN<ending>".
Cstring BackupName(const char* thePath);

// Sets the access and modification time of thePath to theDateText, read as six
// numbers (year, month, day, hour, minute, second) in local time; any other
// character separates them. False when the date text has no numbers or the
// time cannot be set.
bool SetFileTimestamp(const char* thePath, const char* theDateText);
// The same for theName in the open folder theFolder, never through a link.
bool SetFileTimestampAt(int theFolder, const char* theName, const char* theDateText);
