#include "platform/FolderIterator.h"

#include "platform/SystemServices.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>

namespace {

// System folders at the root of a volume that a user never means.
const char* const kRootNames[] = {
    ".",
    "dev",
    "etc",
    "bin",
    ".DS_Store",
    ".Trashes",
    ".hidden",
    ".localized",
    ".vol",
    "Desktop DB",
    "Desktop DF",
    "Network",
    "Network Trash Folder",
    "Shutdown Check",
    "Temporary Items",
    "TheVolumeSettingsFolder",
    "Trash",
    "Volumes",
    "automount",
    "cores",
    "mach",
    "mach.sym",
    "mach_kernel",
    "private",
    "sbin",
    "tmp",
    "usr",
    "var",
};

bool IsRoot(const char* theFolder)
{
    struct stat folder;
    struct stat root;
    return stat(theFolder, &folder) == 0 && stat("/", &root) == 0 && folder.st_dev == root.st_dev
        && folder.st_ino == root.st_ino;
}

} // namespace

bool IsHiddenName(const char* theName, bool bAtRoot)
{
    if (theName[0] == '.' || strcmp(theName, ".DS_Store") == 0 || strcmp(theName, ".localized") == 0)
        return true;
    if (bAtRoot)
        for (const char* name : kRootNames)
            if (strcasecmp(theName, name) == 0)
                return true;
    return false;
}

CFolderIterator::CFolderIterator(const char* theFolder, const char* thePattern)
    : itsFolder(theFolder && *theFolder ? theFolder : "/")
{
    std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(itsFolder.GetText()), closedir);
    if (!folder)
        return;
    const bool atRoot = IsRoot(itsFolder.GetText());
    while (const dirent* entry = readdir(folder.get())) {
        if (IsHiddenName(entry->d_name, atRoot))
            continue;
        if (thePattern && fnmatch(thePattern, entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        // A symbolic link is an entry of its own, never a folder to enter, as
        // the host's catalog had it: a link loop cannot send a walk round.
        bool isFolder = entry->d_type == DT_DIR;
        struct stat info;
        if (entry->d_type == DT_UNKNOWN)
            isFolder = fstatat(dirfd(folder.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISDIR(info.st_mode);
        const size_t length = strlen(entry->d_name);
        const bool isBundle = length > 4
            && (strcasecmp(entry->d_name + length - 4, ".app") == 0
                || strcasecmp(entry->d_name + length - 4, ".pkg") == 0);
        itsEntries.push_back({ entry->d_name, isFolder && !isBundle });
    }
    std::sort(
        itsEntries.begin(), itsEntries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
}

bool CFolderIterator::Next()
{
    if (itsIndex >= itsEntries.size())
        return false;
    const Entry& entry = itsEntries[itsIndex++];
    itsName = entry.name.c_str();
    itsIsFolder = entry.isFolder;
    return true;
}
