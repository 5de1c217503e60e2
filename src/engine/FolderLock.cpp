#include "engine/FolderLock.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

int CFolderLock::Take(int theFolder)
{
    Release();
    // A description of its own: a lock taken on the caller's descriptor would
    // go with any copy of it, and end with the first close of one.
    const int file = openat(theFolder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (file == -1)
        return errno;
    if (flock(file, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(file);
        return error;
    }
    itsFile = file;
    return 0;
}

void CFolderLock::Release()
{
    if (itsFile != -1)
        close(itsFile);
    itsFile = -1;
}

pid_t CFolderLock::Holder(int theFolder)
{
    struct stat folder;
    FILE* locks = fstat(theFolder, &folder) == 0 ? std::fopen("/proc/locks", "re") : nullptr;
    if (!locks)
        return 0;
    // "1: FLOCK  ADVISORY  WRITE 4711 08:01:1234 0 EOF"
    pid_t holder = 0;
    char line[256];
    while (holder == 0 && std::fgets(line, sizeof line, locks)) {
        char kind[16];
        long pid = 0;
        unsigned major = 0;
        unsigned minor = 0;
        uintmax_t inode = 0;
        if (std::sscanf(line, "%*d: %15s %*s %*s %ld %x:%x:%" SCNuMAX, kind, &pid, &major, &minor, &inode)
                == 5
            && pid > 0 && inode == folder.st_ino && major == major(folder.st_dev)
            && minor == minor(folder.st_dev))
            holder = static_cast<pid_t>(pid);
    }
    std::fclose(locks);
    return holder;
}
