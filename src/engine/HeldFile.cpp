#include "engine/HeldFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CHeldFile::CHeldFile(const char* thePath)
    : itsPath(thePath)
{
    // Non-blocking, so that a pipe put in the archive's place cannot hang the
    // open; only a regular file is held.
    itsFile = thePath && *thePath ? open(thePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    struct stat info;
    if (itsFile != -1 && (fstat(itsFile, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(itsFile);
        itsFile = -1;
    }
    if (itsFile == -1)
        return;
    Cstring held;
    held.Format("/proc/self/fd/%d", itsFile);
    if (struct stat same; stat(held.GetText(), &same) == 0 && same.st_ino == info.st_ino)
        itsPath = held;
}

CHeldFile::~CHeldFile()
{
    if (itsFile != -1)
        close(itsFile);
}
