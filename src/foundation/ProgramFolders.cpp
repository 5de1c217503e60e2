#include "foundation/ProgramFolders.h"

#include "foundation/PathAttributes.h"
#include "foundation/Profile.h"

#include <cstring>
#include <initializer_list>
#include <sys/stat.h>

Cstring gMyProjectsPath;

namespace {

// The prefixes are made at run time so that they follow gPathSep.
Cstring RelativePrefix(const char* theFolderName)
{
    Cstring prefix;
    if (theFolderName)
        prefix.Format(".%c%s%c", gPathSep, theFolderName, gPathSep);
    else
        prefix.Format(".%c", gPathSep);
    return prefix;
}

// The text after "theFolder/" when thePath lies below theFolder, else null.
const char* TextBelow(const char* thePath, const Cstring& theFolder)
{
    const int folderLength = theFolder.Length();
    if (folderLength == 0 || static_cast<int>(std::strlen(thePath)) <= folderLength)
        return nullptr;
    if (CompareNoCaseN(thePath, theFolder.GetText(), folderLength) != 0 || thePath[folderLength] != gPathSep)
        return nullptr;
    return thePath + folderLength + 1;
}

bool IsFolder(const char* thePath)
{
    const int attributes = GetPathAttributes(thePath);
    return attributes != -1 && (attributes & kPathIsFolder);
}

} // namespace

Cstring MakeRelativePath(const char* thePath)
{
    if (!thePath)
        return Cstring();
    if (const char* rest = TextBelow(thePath, gMyProjectsPath))
        return Cstring(RelativePrefix("My Library"), rest);
    if (const char* rest = TextBelow(thePath, BaseProgramPath))
        return Cstring(RelativePrefix(nullptr), rest);
    return Cstring(thePath);
}

Cstring MakeAbsolutePath(const char* thePath)
{
    if (!thePath)
        return Cstring();
    for (const char* folderName : { "My Projects", "My Library" }) {
        const Cstring prefix = RelativePrefix(folderName);
        if (StartsWithNoCase(thePath, prefix.GetText()))
            return Cstring::Path(gMyProjectsPath, thePath + prefix.Length());
    }
    if (thePath[0] == '.' && thePath[1] == gPathSep)
        return Cstring::Path(BaseProgramPath, thePath + 2);
    if (thePath[0] == '.')
        return Cstring::Path(BaseProgramPath, thePath + 1);
    return Cstring(thePath);
}

void FixSeparators(Cstring& thePath)
{
    for (char* at = thePath.GetBuffer(); at && *at; ++at)
        if (*at == '\\')
            *at = gPathSep;
}

bool MakeFolders(const char* thePath)
{
    if (!thePath || !*thePath)
        return false;
    Cstring path(thePath);
    if (path.Length() > 1 && *path.CharAt(-1) == gPathSep)
        *path.CharAt(-1) = 0;
    if (IsFolder(path.GetText()) || CreateFolder(path.GetText()))
        return true;

    // Build the chain from the first component on, so that a missing folder
    // right below the root is made too; doubled separators count as one.
    Cstring candidate;
    const char* at = path.GetText();
    if (*at == gPathSep)
        candidate = gPathSepText;
    while (*at) {
        while (*at == gPathSep)
            ++at;
        const char* end = std::strchr(at, gPathSep);
        const int length = end ? static_cast<int>(end - at) : static_cast<int>(std::strlen(at));
        if (length == 0)
            break;
        Cstring component;
        component.Assign(at, length);
        candidate = Cstring::Path(candidate, component.GetText());
        if (!IsFolder(candidate.GetText()) && !CreateFolder(candidate.GetText()))
            return false;
        at += length;
    }
    return IsFolder(path.GetText());
}

bool IsPlainFile(const char* thePath)
{
    struct stat info;
    return thePath && *thePath && stat(thePath, &info) == 0 && S_ISREG(info.st_mode);
}

bool IsUsablePath(const char* thePath)
{
    // A file where a folder is expected would only fail later, when files go in.
    const int attributes = GetPathAttributes(thePath);
    return attributes != -1 && (attributes & kPathIsFolder) && !(attributes & kPathIsLocked);
}

Cstring ChooseProjectsFolder(const Cstring& theProgramFolder, const Cstring& theDocumentsFolder)
{
    const Cstring inProgramFolder = Cstring::Path(theProgramFolder, "My Projects");
    if (!IsUsablePath(inProgramFolder.GetText()) && theDocumentsFolder.IsNotEmpty())
        return Cstring::Path(theDocumentsFolder, "Patchwell");
    return inProgramFolder;
}
