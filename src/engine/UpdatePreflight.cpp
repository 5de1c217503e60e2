#include "engine/UpdatePreflight.h"

#include "engine/ConfinedFolder.h"
#include "engine/EntryPlacement.h"
#include "engine/RepeatedNames.h"
#include "engine/SafeEntryName.h"
#include "engine/UpdateNames.h"
#include "engine/UpdateRoom.h"
#include "zip/ZipArchiveFile.h"
#include "zip/ZipEntryDecoder.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <strings.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <unordered_set>

namespace {

class CPreflight {
public:
    CPreflight(FILE* theLog, Cstring& theMessage)
        : itsLog(theLog)
        , itsMessage(theMessage)
    {
    }

    // theShownPath: the archive as the log names it.
    bool Check(
        const char* theZipPath, const char* thePassword, const char* theTarget, const char* theShownPath);

private:
    bool CheckEntry(const CZipEntry& theEntry, const Cstring& theName, const char* thePassword);
    bool CheckName(const char* theEntry, const Cstring& theName);
    bool CheckTargetPath(const Cstring& theName);
    bool CheckSize(const CZipEntry& theEntry);
    bool CheckRoom(const CUpdateRoom& theRoom);
    // The name entry theIndex has once mapped; empty when it cannot be read.
    Cstring MappedNameOf(uint64_t theIndex, Cstring* pRawName = nullptr) const;
    bool Refuse(const char* theFormat, const char* theText) __attribute__((format(printf, 2, 0)));
    // Logs the message already set, with the extraction's own line for an
    // entry that fails and ours for what only this check finds; false.
    bool Refused(const char* theLogLine = "ExtractFiles failed - %s\n");
    // The run logs the opening of the archive when it opens it to unpack;
    // a refusal comes before that, and its log must still say, first, that
    // the archive did open.
    void LogOpened();

    FILE* itsLog;
    Cstring& itsMessage;
    CEntryPlacement itsMapper; // the run's own: the names checked are the names written
    CZipArchiveFile itsArchive;
    CConfinedFolder itsTarget;
    Cstring itsZipPath;
    Cstring itsTargetPath;
    long itsNameMax = NAME_MAX;
    unsigned long itsBlockSize = 4096;
    // No Linux file system holds a file larger than off_t counts.
    uint64_t itsLargestFile = INT64_MAX;
    bool bOpened = false;
    bool bHasFile = false;
    bool bHasBundle = false;
    bool bHasProgram = false;
    std::unordered_set<std::string> itsCheckedPaths;
};

bool CPreflight::Refuse(const char* theFormat, const char* theText)
{
    itsMessage.Format(theFormat, theText);
    return Refused();
}

bool CPreflight::Refused(const char* theLogLine)
{
    LogOpened();
    if (itsLog)
        std::fprintf(itsLog, theLogLine, itsMessage.GetText());
    return false;
}

void CPreflight::LogOpened()
{
    if (itsLog && bOpened)
        std::fprintf(itsLog, "Opening update zip file - %s succeeded\n", itsZipPath.GetText());
    bOpened = false;
}

bool CPreflight::Check(
    const char* theZipPath, const char* thePassword, const char* theTarget, const char* theShownPath)
{
    if (!theZipPath || !*theZipPath || itsArchive.Open(theZipPath) != 0) {
        const std::string failure = WithFailure(theZipPath && *theZipPath ? itsArchive.GetFailure() : "");
        if (itsLog)
            std::fprintf(itsLog, "Opening update zip file - %s failed%s\n", theShownPath ? theShownPath : "",
                failure.c_str());
        itsMessage.Format("Error opening compressed file container%s", failure.c_str());
        return false;
    }
    itsZipPath = theShownPath;
    bOpened = true;
    if (const int failure = itsTarget.Open(theTarget); failure != 0)
        return Refuse("Unable to open the folder %s", theTarget);
    itsTargetPath = theTarget;
    itsMapper = CEntryPlacement::ForUpdate(theTarget);
    if (const long nameMax = fpathconf(itsTarget.Descriptor(), _PC_NAME_MAX); nameMax > 0)
        itsNameMax = nameMax;
    struct statvfs disk;
    if (fstatvfs(itsTarget.Descriptor(), &disk) == 0 && disk.f_bsize > 0)
        itsBlockSize = disk.f_bsize;
    // A file system with fewer bits holds less than the largest off_t.
    if (const long bits = fpathconf(itsTarget.Descriptor(), _PC_FILESIZEBITS); bits > 1 && bits < 64)
        itsLargestFile = (uint64_t { 1 } << (bits - 1)) - 1;
    CUpdateRoom room(itsBlockSize, static_cast<size_t>(itsTargetPath.Length()), std::strlen(theShownPath));

    const uint64_t count = itsArchive.GetEntryCount();
    if (count == 0) {
        itsMessage = "The update archive is empty";
        return Refused();
    }
    CRepeatedNames names(CRepeatedNames::kCaseIgnored);
    names.Reserve(static_cast<size_t>(count));
    CZipDirectoryCursor cursor(itsArchive);
    CZipEntry entry;
    for (uint64_t i = 0; i < count; ++i) {
        int error = 0;
        if (!cursor.Next(entry, error)) {
            itsMessage.Format("Unable to get compressed file info (%d)%s",
                error != 0 ? error : kZipErrorInconsistent, WithFailure(cursor.GetFailure()).c_str());
            return Refused("ExtractOneFile failed - %s\n");
        }
        const Cstring name = itsMapper.MapEntryName(entry.itsName.c_str());
        // A zero byte would cut the name short for every check below.
        if (entry.itsName.find('\0') != std::string::npos)
            return Refuse("Unsafe file name in archive: %s", entry.itsName.c_str());
        if (!CheckName(entry.itsName.c_str(), name) || !CheckSize(entry)
            || !CheckEntry(entry, name, thePassword))
            return false;
        names.Add(static_cast<uint32_t>(i), name.GetText());
        room.Count(name.GetText(), entry.itsSize);
        bHasFile = bHasFile || !(name.IsEmpty() || EndsWithNoCase(name.GetText(), "/"));
    }
    const int64_t repeat = names.FindRepeat([this](uint32_t theIndex) { return MappedNameOf(theIndex); });
    if (repeat != -1) {
        Cstring rawName;
        MappedNameOf(static_cast<uint64_t>(repeat), &rawName);
        return Refuse("Duplicate file name in archive: %s", rawName.GetText());
    }
    // Folders alone would pass every check below and install nothing.
    if (!bHasFile)
        return Refuse("The update archive holds no files, only folders: %s", theShownPath);
    if (!bHasBundle)
        return Refuse("The update archive holds no %s", kBundleName);
    if (!bHasProgram)
        return Refuse("The update archive holds no program in %s", kBundleProgramFolder);
    return CheckRoom(room);
}

Cstring CPreflight::MappedNameOf(uint64_t theIndex, Cstring* pRawName) const
{
    // Only names whose hashes meet are asked for again: walking the
    // directory is cheaper than keeping every name.
    CZipDirectoryCursor cursor(itsArchive);
    CZipEntry entry;
    int error = 0;
    for (uint64_t i = 0; i <= theIndex; ++i)
        if (!cursor.Next(entry, error))
            return Cstring();
    if (pRawName)
        *pRawName = entry.itsName.c_str();
    return itsMapper.MapEntryName(entry.itsName.c_str());
}

bool CPreflight::CheckName(const char* theEntry, const Cstring& theName)
{
    const char* name = theName.GetText();
    if (!IsSafeEntryName(name))
        return Refuse("Unsafe file name in archive: %s", theEntry);
    const char* slash = std::strchr(name, '/');
    const std::string first = slash ? std::string(name, slash) : std::string(name);
    // The backup of every number, the log and the run's own files are out
    // of an archive's reach, whatever the case of their letters.
    const bool bOtherBundleSpelling
        = strcasecmp(first.c_str(), kBundleName) == 0 && std::strcmp(first.c_str(), kBundleName) != 0;
    if (bOtherBundleSpelling || strcasecmp(first.c_str(), kLogName) == 0
        || strncasecmp(first.c_str(), kBackupPrefix, std::strlen(kBackupPrefix)) == 0
        || strncasecmp(first.c_str(), kOwnPrefix, std::strlen(kOwnPrefix)) == 0
        || strncasecmp(first.c_str(), kTemporaryPrefix, std::strlen(kTemporaryPrefix)) == 0)
        return Refuse("Reserved file name in archive: %s", theEntry);

    // The longest path written is the staged one.
    const size_t longest
        = static_cast<size_t>(itsTargetPath.Length()) + std::strlen(kStageName) + 2 + std::strlen(name);
    if (longest >= PATH_MAX)
        return Refuse("File name too long in archive: %s", theEntry);
    for (const char* component = name; *component;) {
        const char* end = std::strchr(component, '/');
        const size_t length = end ? static_cast<size_t>(end - component) : std::strlen(component);
        if (static_cast<long>(length) > itsNameMax)
            return Refuse("File name too long in archive: %s", theEntry);
        component += length + (end ? 1 : 0);
    }

    if (std::strcmp(first.c_str(), kBundleName) == 0) {
        // The installed bundle is moved aside as a whole; the new one is
        // made from nothing.
        bHasBundle = true;
        const size_t folderLength = std::strlen(kBundleProgramFolder);
        // A file right in the program folder.
        if (std::strncmp(name, kBundleProgramFolder, folderLength) == 0 && name[folderLength] != 0
            && !std::strchr(name + folderLength, '/'))
            bHasProgram = true;
        return true;
    }
    return CheckTargetPath(theName);
}

// What the installation holds on the way to a destination outside the bundle.
bool CPreflight::CheckTargetPath(const Cstring& theName)
{
    const std::string name(theName.GetText());
    const bool bFolderEntry = name.empty() || name.back() == '/';
    const size_t end = bFolderEntry && !name.empty() ? name.size() - 1 : name.size();
    for (size_t at = name.find('/');; at = name.find('/', at + 1)) {
        const bool bLast = at >= end;
        const std::string path = name.substr(0, bLast ? end : at);
        if (path.empty())
            return true;
        if (!bLast && !itsCheckedPaths.insert(path).second)
            continue;
        struct stat info;
        const int error = itsTarget.Stat(path.c_str(), info);
        const std::string full = std::string(itsTargetPath.GetText()) + "/" + path;
        if (error == ENOENT)
            return true; // made new from here on
        if (error != 0) {
            errno = error;
            itsMessage.Format("Unable to look at %s: %s", full.c_str(), std::strerror(error));
            return Refused();
        }
        if (S_ISLNK(info.st_mode))
            return Refuse("Destination passes through a symbolic link: %s", full.c_str());
        if (!S_ISDIR(info.st_mode) && (!bLast || bFolderEntry))
            return Refuse("A file is in the way of a folder of the update: %s", full.c_str());
        if (S_ISDIR(info.st_mode) && bLast && !bFolderEntry)
            return Refuse("A folder is in the way of a file of the update: %s", full.c_str());
        if (bLast)
            return true;
    }
}

bool CPreflight::CheckEntry(const CZipEntry& theEntry, const Cstring& theName, const char* thePassword)
{
    // Opening reads the entry's header and checks the password against it.
    CZipEntrySource source;
    if (const int error = source.Open(itsArchive, theEntry, thePassword); error != 0) {
        // The extraction's two lines for an entry it cannot open: the first
        // names the entry, which the message does not.
        LogOpened();
        if (itsLog)
            std::fprintf(itsLog, "ExtractOneFile - %s\n", itsMapper.DestinationPath(theName).GetText());
        itsMessage.Format(
            "Unable to open compressed file (%d)%s", error, WithFailure(source.GetFailure()).c_str());
        return Refused("ExtractOneFile failed - %s\n");
    }
    return true;
}

bool CPreflight::CheckSize(const CZipEntry& theEntry)
{
    if (theEntry.itsSize <= itsLargestFile)
        return true;
    itsMessage.Format("File too large in archive: %s holds %llu bytes, more than a file can hold in %s",
        theEntry.itsName.c_str(), static_cast<unsigned long long>(theEntry.itsSize), itsTargetPath.GetText());
    return Refused();
}

bool CPreflight::CheckRoom(const CUpdateRoom& theRoom)
{
    struct statvfs disk;
    if (fstatvfs(itsTarget.Descriptor(), &disk) != 0)
        return true; // nothing known: the writes will tell
    const unsigned long long needed = theRoom.Bytes();
    const unsigned long long room = SaturatedProduct(disk.f_bavail, disk.f_frsize);
    if (needed > room) {
        // A sum that reached the largest number stands for more than it says.
        itsMessage.Format(needed == UINT64_MAX
                ? "Not enough room on the disk for the update: it needs more than %llu bytes, %llu are free "
                  "in %s"
                : "Not enough room on the disk for the update: it needs %llu bytes, %llu are free in %s",
            needed, room, itsTargetPath.GetText());
        return Refused();
    }
    const unsigned long long inodes = theRoom.Inodes();
    // A file system that does not count inodes reports none at all.
    if (disk.f_files > 0 && inodes > disk.f_favail) {
        itsMessage.Format("Not enough room on the disk for the update: it needs %llu files and folders, "
                          "%llu more fit in %s",
            inodes, static_cast<unsigned long long>(disk.f_favail), itsTargetPath.GetText());
        return Refused();
    }
    return true;
}

} // namespace

bool PreflightUpdate(const char* theZipPath, const char* thePassword, const char* theTarget,
    Cstring& theMessage, FILE* theLog, const char* theShownPath)
{
    CPreflight check(theLog, theMessage);
    return check.Check(theZipPath, thePassword, theTarget, theShownPath ? theShownPath : theZipPath);
}
