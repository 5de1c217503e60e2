#include "tools/EmbeddedFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

bool WriteEmbeddedFolder(
    const char* theFolder, const CEmbeddedFile* theFiles, std::size_t theCount, Cstring& theError)
{
    if (mkdir(theFolder, 0755) != 0) {
        theError = std::strerror(errno);
        return false;
    }
    for (std::size_t i = 0; i < theCount; ++i) {
        const CEmbeddedFile& page = theFiles[i];
        const Cstring path = Cstring::Path(theFolder, page.itsName);
        FILE* file = std::fopen(path.GetText(), "wb");
        const bool bWritten = file && std::fwrite(page.itsBytes, 1, page.itsSize, file) == page.itsSize;
        if ((file && std::fclose(file) != 0) || !bWritten) {
            theError.Format("%s: %s", page.itsName, std::strerror(errno));
            return false;
        }
    }
    return true;
}
