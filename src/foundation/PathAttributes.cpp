#include "foundation/PathAttributes.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

int GetPathAttributes(const char* thePath)
{
    struct stat info;
    if (!thePath || !*thePath || stat(thePath, &info) != 0)
        return -1;
    int attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= kPathIsFolder;
    if (access(thePath, W_OK) != 0)
        attributes |= kPathIsLocked;
    return attributes;
}

bool CreateFolder(const char* thePath)
{
    if (!thePath || !*thePath)
        return false;
    return mkdir(thePath, 0755) == 0
        || (errno == EEXIST && GetPathAttributes(thePath) != -1
            && (GetPathAttributes(thePath) & kPathIsFolder));
}
