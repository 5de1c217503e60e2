#pragma once

#include "foundation/Cstring.h"

#include <cstdio>

// Moves the file or bundle at thePath to a free name "<base>_Backup_NNNN<ending>"
// with a random NNNN, logging the attempt when theLog is given. Returns 1 when
// the rename succeeded (pBackupPath, when given, receives the new name), 0 when
// it did not (the name may be taken: try again).
int BackupFile(const char* thePath, FILE* theLog, Cstring* pBackupPath = nullptr);
// A backup name for thePath, with a fresh random number: "<base>_Backup_NNNN<ending>".
Cstring BackupName(const char* thePath);

// Sets the access and modification time of thePath to theDateText, read as six
// numbers (year, month, day, hour, minute, second) in local time; any other
// character separates them. False when the date text has no numbers or the
// time cannot be set.
bool SetFileTimestamp(const char* thePath, const char* theDateText);
// The same for theName in the open folder theFolder, never through a link.
bool SetFileTimestampAt(int theFolder, const char* theName, const char* theDateText);
