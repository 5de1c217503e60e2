#include "engine/UpdateLog.h"

#include "engine/UpdateNames.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
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

namespace {

struct ObservedLog {
    FILE* itsLog;
    std::function<void(const char*)> itsLine;
    std::string itsPending; // the start of a line whose end has not come
};

ssize_t WriteObserved(void* pCookie, const char* pBytes, size_t theSize)
{
    auto& log = *static_cast<ObservedLog*>(pCookie);
    const size_t written = std::fwrite(pBytes, 1, theSize, log.itsLog);
    std::fflush(log.itsLog);
    log.itsPending.append(pBytes, written);
    for (size_t end; (end = log.itsPending.find('\n')) != std::string::npos;) {
        log.itsPending[end] = 0;
        log.itsLine(log.itsPending.c_str());
        log.itsPending.erase(0, end + 1);
    }
    return written == 0 && theSize != 0 ? -1 : static_cast<ssize_t>(written);
}

int CloseObserved(void* pCookie)
{
    auto* log = static_cast<ObservedLog*>(pCookie);
    const int result = std::fclose(log->itsLog);
    delete log;
    return result;
}

} // namespace

FILE* ObserveLogLines(FILE* theLog, std::function<void(const char*)> theLine)
{
    auto* cookie = new ObservedLog { theLog, std::move(theLine), {} };
    FILE* observed = fopencookie(cookie, "w", { nullptr, WriteObserved, nullptr, CloseObserved });
    if (!observed) {
        delete cookie;
        return theLog;
    }
    setvbuf(observed, nullptr, _IOLBF, 0);
    return observed;
}
