#include "engine/TempFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int CTempFileWriter::Create(const Cstring& theFolder, const Cstring& thePath)
{
    Discard();
    struct stat info;
    if (stat(thePath.GetText(), &info) == 0 && S_ISDIR(info.st_mode))
        return EISDIR;
    itsTempPath = Cstring::Path(theFolder.IsEmpty() ? "." : theFolder.GetText(), ".pwextract-XXXXXX");
    itsFile = mkostemp(itsTempPath.GetBuffer(), O_CLOEXEC);
    if (itsFile == -1) {
        const int error = errno;
        itsTempPath.Clear();
        return error;
    }
    itsFinalPath = thePath;
    return 0;
}

bool CTempFileWriter::Write(const char* theData, size_t theLength)
{
    while (theLength > 0) {
        const ssize_t written = write(itsFile, theData, theLength);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        theData += written;
        theLength -= static_cast<size_t>(written);
    }
    return true;
}

bool CTempFileWriter::Finish(time_t theDate, mode_t theMode, int& theModeError)
{
    theModeError = 0;
    const struct timespec times[2] = { { theDate, 0 }, { theDate, 0 } };
    futimens(itsFile, times); // a file without its date is still the right file
    if (fchmod(itsFile, theMode) != 0)
        theModeError = errno;
    const int file = itsFile;
    itsFile = -1;
    return close(file) == 0;
}

int CTempFileWriter::Install()
{
    if (rename(itsTempPath.GetText(), itsFinalPath.GetText()) != 0)
        return errno;
    itsTempPath.Clear();
    return 0;
}

void CTempFileWriter::Discard()
{
    if (itsFile != -1) {
        close(itsFile);
        itsFile = -1;
    }
    if (itsTempPath.IsNotEmpty()) {
        unlink(itsTempPath.GetText());
        itsTempPath.Clear();
    }
}
