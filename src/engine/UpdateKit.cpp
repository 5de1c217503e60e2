#include "engine/UpdateKit.h"

#include "identification/DataKey.h"
#include "platform/FolderIterator.h"

#include <cstring>
#include <strings.h>

Cstring FindUpdateZip(const char* theFolder, Cstring& theKeyText)
{
    BuildDataKeyText(theKeyText);
    if (!theFolder || !*theFolder)
        return Cstring();
    CFolderIterator folder(theFolder, "*.zip");
    while (folder.Next())
        if (EndsWithNoCase(folder.GetName().GetText(), ".zip"))
            return Cstring::Path(theFolder, folder.GetName().GetText());
    return Cstring();
}

Cstring InstallNameFromZipPath(const char* theZipPath)
{
    const char* slash = std::strrchr(theZipPath, '/');
    Cstring name(slash ? slash + 1 : theZipPath);
    char* dot = std::strrchr(name.GetBuffer(), '.');
    if (dot && strcasecmp(dot, ".zip") == 0)
        *dot = 0;
    return name;
}

CUpdateKit CUpdateKit::InFolder(const char* theFolder)
{
    CUpdateKit kit;
    kit.itsFolder = theFolder ? theFolder : "";
    kit.itsArchive = FindUpdateZip(kit.itsFolder.GetText(), kit.itsPassword);
    if (kit.itsArchive.IsNotEmpty())
        kit.itsInstallName = InstallNameFromZipPath(kit.itsArchive.GetText());
    return kit;
}
