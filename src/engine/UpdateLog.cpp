#include "engine/UpdateLog.h"

#include "engine/UpdateNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* OpenUpdateLog(int theTargetFolder, UpdateLogStart theStart)
{
    // Non-blocking, so that a pipe put in its place cannot hang the open.
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC
        | (theStart == kLogAppended ? O_APPEND : 0);
    const int file = openat(theTargetFolder, kLogName, flags, 0644);
    if (file == -1)
        return nullptr;
    struct stat info;
    int error = 0;
    if (fstat(file, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode) || info.st_nlink != 1)
        error = EPERM;
    else if (fcntl(file, F_SETFL, theStart == kLogAppended ? O_APPEND : 0) != 0
        || (theStart == kLogEmptied && ftruncate(file, 0) != 0))
        error = errno;
    FILE* log = error == 0 ? fdopen(file, theStart == kLogAppended ? "a" : "w") : nullptr;
    if (!log) {
        error = error != 0 ? error : errno;
        close(file);
        errno = error;
        return nullptr;
    }
    // Line by line, so that a crash or a kill leaves a log that says how far
    // the run came.
    setvbuf(log, nullptr, _IOLBF, 0);
    return log;
}
