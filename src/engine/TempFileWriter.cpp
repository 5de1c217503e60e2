#include "engine/TempFileWriter.h"

#include "engine/UpdateNames.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int CreateTemporary(int theFolder, std::string& theName)
{
    // One per thread: workers may make files side by side.
    thread_local std::minstd_rand generator(static_cast<unsigned>(getpid())
        ^ static_cast<unsigned>(time(nullptr)) ^ static_cast<unsigned>(gettid()));
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        theName = kTemporaryPrefix;
        for (int i = 0; i < 6; ++i)
            theName += kLetters[generator() % (sizeof kLetters - 1)];
        const int file
            = openat(theFolder, theName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (file != -1 || errno != EEXIST)
            return file;
    }
    return -1;
}

// The process's umask, read once without changing it; all bits set when it
// cannot be known, so that every mode is then set explicitly.
mode_t ProcessUmask()
{
    static const mode_t bits = [] {
        FILE* status = std::fopen("/proc/self/status", "re");
        if (!status)
            return static_cast<mode_t>(07777);
        unsigned mask = 07777;
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        std::fclose(status);
        return static_cast<mode_t>(mask);
    }();
    return bits;
}

} // namespace

int CTempFileWriter::Create(int theFolder, const char* theName, Placement thePlacement, mode_t theMode)
{
    Discard();
    struct stat info;
    itsFolder = theFolder;
    itsFinalName = theName;
    itsMode = theMode;
    bHasMode = false;
    if (thePlacement == kCreateInPlace) {
        // Nothing else is under this name: the file may have its mode from
        // the start, which spares a call per file when the umask allows it.
        itsWrittenName = theName;
        bHasMode = (theMode & ProcessUmask()) == 0;
        itsFile = openat(theFolder, theName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
            bHasMode ? theMode : 0600);
    } else if (fstatat(theFolder, theName, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)) {
        errno = EISDIR; // found before any data is written
    } else {
        itsFile = CreateTemporary(theFolder, itsWrittenName);
    }
    if (itsFile == -1) {
        int error = errno;
        // Only a failed creation costs a look at what holds the name.
        if (error == EEXIST && fstatat(theFolder, theName, &info, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISDIR(info.st_mode))
            error = EISDIR;
        itsWrittenName.clear();
        return error;
    }
    return 0;
}

int CTempFileWriter::Write(const char* theData, size_t theLength)
{
    while (theLength > 0) {
        const ssize_t written = write(itsFile, theData, theLength);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        theData += written;
        theLength -= static_cast<size_t>(written);
    }
    return 0;
}

int CTempFileWriter::Finish(time_t theDate, int& theModeError)
{
    theModeError = 0;
    const struct timespec times[2] = { { theDate, 0 }, { theDate, 0 } };
    futimens(itsFile, times); // a file without its date is still the right file
    if (!bHasMode && fchmod(itsFile, itsMode) != 0)
        theModeError = errno;
    const int file = itsFile;
    itsFile = -1;
    return close(file) == 0 ? 0 : errno;
}

int CTempFileWriter::Install()
{
    if (itsWrittenName != itsFinalName
        && renameat(itsFolder, itsWrittenName.c_str(), itsFolder, itsFinalName.c_str()) != 0)
        return errno;
    itsWrittenName.clear();
    return 0;
}

void CTempFileWriter::Discard()
{
    if (itsFile != -1) {
        close(itsFile);
        itsFile = -1;
    }
    if (!itsWrittenName.empty()) {
        unlinkat(itsFolder, itsWrittenName.c_str(), 0);
        itsWrittenName.clear();
    }
}
