#include "foundation/Profile.h"

Cstring BaseProgramPath;
Cstring CDPath;
Cstring LanguageResFileName;
Cstring MyFilesPath;
Cstring PrinterName;
Cstring OrigCDPath;
Cstring OrigMyProjectsPath;

void SetProfileDefaults()
{
}

void LoadProfile(int)
{
}

Cstring GetProfileString(const char*)
{
    return Cstring();
}

void DeleteProfileEntries()
{
}
