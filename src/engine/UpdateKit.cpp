#include "engine/UpdateKit.h"

#include "foundation/RegularFile.h"
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

namespace {

// Larger than any data file or readme of a real kit by far.
constexpr size_t kKitTextLimit = 64 << 20;

void ReadKitFile(const Cstring& thePath, const char* theName, KitFileDigest& theDigest, std::string& theBytes)
{
    int error = 0;
    theDigest = KitFileDigest();
    if (!ReadRegularFile(thePath.GetText(), kKitTextLimit, theBytes, error))
        return;
    theDigest.itsName = theName;
    theDigest.itsSize = theBytes.size();
    theDigest.itsDigest = DigestBytes(theBytes);
}

} // namespace

void CUpdateKit::ReadFiles()
{
    ReadKitFile(DataFile(), "data.txt", itsDataFile, itsDataBytes);
    ReadKitFile(Readme(), "readme.txt", itsReadmeFile, itsReadmeText);
}
