#pragma once

#include "foundation/Cstring.h"

// The settings variables that start-up and the update engine read. Each is
// bound to the profile key of the same name.
extern Cstring BaseProgramPath;
extern Cstring CDPath;
extern Cstring LanguageResFileName;
extern Cstring MyFilesPath;
extern Cstring PrinterName;
extern Cstring OrigCDPath;
extern Cstring OrigMyProjectsPath;

// Registers every settings entry (once) and sets each variable to its default.
void SetProfileDefaults();
// Reads the program profile, then the user's; theGroup -1 applies every group.
void LoadProfile(int theGroup);
// The value of one key read straight from the two files, the user's winning.
Cstring GetProfileString(const char* theKey);
// Deletes every registered entry; the last step of the program.
void DeleteProfileEntries();
