#include "foundation/RegularFile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* OpenRegularFile(const char* thePath, const char* theMode, int& theError)
{
    theError = ENOENT;
    if (!thePath || !*thePath)
        return nullptr;
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int descriptor = open(thePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        theError = errno;
        return nullptr;
    }
    struct stat info { };
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        theError = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        close(descriptor);
        return nullptr;
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(descriptor, theMode);
    if (!file) {
        theError = errno;
        close(descriptor);
        return nullptr;
    }
    theError = 0;
    return file;
}

const char* RegularFileErrorText(int theError)
{
    return theError == EINVAL ? "Not a regular file" : std::strerror(theError);
}

bool ReadRegularFile(const char* thePath, size_t theLimit, std::string& theBytes, int& theError)
{
    FILE* file = OpenRegularFile(thePath, "rb", theError);
    if (!file)
        return false;
    struct stat info { };
    if (fstat(fileno(file), &info) != 0)
        theError = errno;
    else if (static_cast<uint64_t>(info.st_size) > theLimit)
        theError = EFBIG;
    else {
        theBytes.resize(static_cast<size_t>(info.st_size));
        if (std::fread(theBytes.data(), 1, theBytes.size(), file) != theBytes.size())
            theError = std::ferror(file) ? EIO : ENODATA;
    }
    std::fclose(file);
    return theError == 0;
}
