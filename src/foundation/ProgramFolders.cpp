#include "foundation/ProgramFolders.h"

#include "platform/SystemServices.h"

bool IsUsablePath(const char* thePath)
{
    const int attributes = GetPathAttributes(thePath);
    return attributes != -1 && (attributes & kPathIsFolder) && !(attributes & kPathIsLocked);
}
