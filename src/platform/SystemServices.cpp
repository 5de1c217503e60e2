#include "platform/SystemServices.h"

#include "foundation/ProgramFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

bool FileExists(const char* thePath)
{
    // Short references ("./Help/x") name files below the program folders.
    const Cstring path = MakeAbsolutePath(thePath);
    struct stat info;
    return path.IsNotEmpty() && stat(path.GetText(), &info) == 0;
}

bool CreateFolder(const char* thePath)
{
    if (!thePath || !*thePath)
        return false;
    return mkdir(thePath, 0755) == 0
        || (errno == EEXIST && GetPathAttributes(thePath) != -1
            && (GetPathAttributes(thePath) & kPathIsFolder));
}

namespace {

Cstring HomeFolder()
{
    const char* home = std::getenv("HOME");
    return Cstring(home && *home ? home : "");
}

// An XDG variable when set to an absolute path, else the fallback under $HOME.
Cstring XdgFolder(const char* theVariable, const char* theFallback)
{
    const char* value = std::getenv(theVariable);
    if (value && value[0] == '/')
        return Cstring(value);
    const Cstring home = HomeFolder();
    return home.IsEmpty() ? Cstring() : Cstring::Path(home, theFallback);
}

} // namespace

Cstring PreferencesFolder()
{
    const Cstring config = XdgFolder("XDG_CONFIG_HOME", ".config");
    return config.IsEmpty() ? config : Cstring::Path(config, "Patchwell");
}

Cstring DocumentsFolder()
{
    return XdgFolder("XDG_DOCUMENTS_DIR", "Documents");
}

Cstring DesktopFolder()
{
    return XdgFolder("XDG_DESKTOP_DIR", "Desktop");
}

Cstring gSystemDescription;

void GetProgramInfo(Cstring& theFolder, Cstring& theVersion, Cstring& theBuildDate)
{
    theFolder = "";
    theVersion = PW_VERSION;
    theBuildDate = "";
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return;
    path[length] = 0;
    Cstring folder;
    Cstring name;
    folder.Assign(path, static_cast<int>(length));
    if (char* last = strrchr(folder.GetBuffer(), '/'))
        *last = 0;
    theFolder = folder;
}

void DescribeSystem()
{
    gSystemDescription = "";
}
