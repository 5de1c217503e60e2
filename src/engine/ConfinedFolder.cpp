#include "engine/ConfinedFolder.h"

#include "foundation/FaultPoint.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Older kernels lack openat2; the walk below gives the same protection one
// component at a time. Workers find that out as they open files.
std::atomic<bool> gNoOpenat2 { false };

int WalkBeneath(int theFolder, const char* theRelative, int theFlags, mode_t theMode, bool bMakeFolders)
{
    int folder = theFolder;
    const char* component = theRelative;
    for (;;) {
        const char* slash = std::strchr(component, '/');
        const std::string name = slash ? std::string(component, slash) : std::string(component);
        if (name == "..") {
            if (folder != theFolder)
                close(folder);
            errno = EXDEV;
            return -1;
        }
        const bool bLast = !slash || slash[1] == 0;
        int next;
        if (name.empty() || name == ".")
            next = openat(folder, ".", bLast ? theFlags | O_NOFOLLOW | O_CLOEXEC : kFolderFlags, theMode);
        else if (bLast && !bMakeFolders)
            next = openat(folder, name.c_str(), theFlags | O_NOFOLLOW | O_CLOEXEC, theMode);
        else {
            next = openat(folder, name.c_str(), kFolderFlags);
            if (next == -1 && errno == ENOENT && bMakeFolders
                && (mkdirat(folder, name.c_str(), 0755) == 0 || errno == EEXIST))
                next = openat(folder, name.c_str(), kFolderFlags);
        }
        const int error = errno;
        if (folder != theFolder)
            close(folder);
        if (next == -1) {
            errno = error;
            return -1;
        }
        if (bLast)
            return next;
        folder = next;
        component = slash + 1;
    }
}

} // namespace

int OpenBeneath(int theFolder, const char* theRelative, int theFlags, mode_t theMode)
{
    if (!gNoOpenat2.load(std::memory_order_relaxed)) {
        open_how how {};
        how.flags = static_cast<uint64_t>(theFlags | O_NOFOLLOW | O_CLOEXEC);
        how.mode = (theFlags & O_CREAT) ? theMode : 0;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const long result
            = syscall(SYS_openat2, theFolder, *theRelative ? theRelative : ".", &how, sizeof how);
        if (result >= 0 || (errno != ENOSYS && errno != EPERM))
            return static_cast<int>(result);
        gNoOpenat2.store(true, std::memory_order_relaxed);
    }
    return WalkBeneath(theFolder, theRelative, theFlags, theMode, false);
}

int CConfinedFolder::Open(const char* theRoot)
{
    Close();
    itsFolder = open(theRoot, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return itsFolder == -1 ? errno : 0;
}

int CConfinedFolder::Adopt(int theFolder)
{
    Close();
    itsFolder = fcntl(theFolder, F_DUPFD_CLOEXEC, 0);
    return itsFolder == -1 ? errno : 0;
}

void CConfinedFolder::Close()
{
    if (itsFolder != -1)
        close(itsFolder);
    itsFolder = -1;
}

int CConfinedFolder::OpenFolder(const char* theRelative) const
{
    return OpenBeneath(itsFolder, theRelative, O_RDONLY | O_DIRECTORY);
}

int CConfinedFolder::MakeFolders(const char* theRelative) const
{
    return MakeFoldersBeneath(itsFolder, theRelative);
}

int MakeFoldersBeneath(int theFolder, const char* theRelative)
{
    if (!*theRelative)
        return OpenBeneath(theFolder, theRelative, O_RDONLY | O_DIRECTORY);
    return WalkBeneath(theFolder, theRelative, O_RDONLY | O_DIRECTORY, 0, true);
}

int CConfinedFolder::OpenFile(const char* theRelative, int theFlags, mode_t theMode) const
{
    return OpenBeneath(itsFolder, theRelative, theFlags, theMode);
}

int CConfinedFolder::Stat(const char* theRelative, struct stat& theInfo) const
{
    // A trailing "/" names a folder: look at the component before it.
    std::string path(theRelative);
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    const char* slash = std::strrchr(path.c_str(), '/');
    const std::string parent = slash ? path.substr(0, static_cast<size_t>(slash - path.c_str())) : "";
    const std::string name = slash ? std::string(slash + 1) : path;
    const int folder = OpenBeneath(itsFolder, parent.c_str(), O_PATH | O_DIRECTORY);
    if (folder == -1)
        return errno;
    const int result = fstatat(folder, name.empty() ? "." : name.c_str(), &theInfo, AT_SYMLINK_NOFOLLOW);
    const int error = errno;
    close(folder);
    return result == 0 ? 0 : error;
}

int RemoveTree(int theFolder, const char* theName)
{
    struct stat info;
    if (fstatat(theFolder, theName, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : errno;
    if (const int fault = FaultPoint("remove"))
        return fault;
    if (!S_ISDIR(info.st_mode))
        return unlinkat(theFolder, theName, 0) == 0 || errno == ENOENT ? 0 : errno;
    const int folder = openat(theFolder, theName, kFolderFlags);
    if (folder == -1)
        return errno;
    DIR* listing = fdopendir(folder);
    if (!listing) {
        const int error = errno;
        close(folder);
        return error;
    }
    int result = 0;
    while (const dirent* entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        if (const int error = RemoveTree(dirfd(listing), entry->d_name); error != 0 && result == 0)
            result = error;
    }
    closedir(listing);
    if (unlinkat(theFolder, theName, AT_REMOVEDIR) != 0 && errno != ENOENT && result == 0)
        result = errno;
    return result;
}
