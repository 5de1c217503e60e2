#pragma once

#include "foundation/Cstring.h"

// The folders that anchor short file references, and the conversions between
// those references and absolute paths. BaseProgramPath (the program folder) is
// a setting and lives with the profile.
extern Cstring gMyProjectsPath; // the user's projects folder

// './My Library/...' for a file below the projects folder, './...' for one below
// the program folder, else the path unchanged.
Cstring MakeRelativePath(const char* thePath);
// Resolves './My Projects/', './My Library/', './' and '.' references; every
// other path, absolute ones included, comes back unchanged.
Cstring MakeAbsolutePath(const char* thePath);
// Backslashes from old references become gPathSep.
void FixSeparators(Cstring& thePath);
// Creates every missing folder along thePath; true when it is a folder afterwards.
bool MakeFolders(const char* thePath);
// A regular file: reading it cannot block, as opening a pipe or device could.
bool IsPlainFile(const char* thePath);
// A folder that exists and that this user may write into.
bool IsUsablePath(const char* thePath);
// "My Projects" in the program folder, or "Patchwell" in the documents folder
// when the first is not usable and the documents folder is known.
Cstring ChooseProjectsFolder(const Cstring& theProgramFolder, const Cstring& theDocumentsFolder);
