#include "platform/SystemServices.h"

#include "foundation/ProgramFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
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
    struct stat info;
    if (stat(path, &info) == 0)
        theBuildDate = BuildDateText(info.st_mtime);
    if (char* last = strrchr(path, '/'))
        *last = 0;
    theFolder = path;
}

void DescribeSystem()
{
    utsname system;
    if (uname(&system) != 0) {
        gSystemDescription = "Linux (Unknown CPU)";
        return;
    }
    gSystemDescription.Format("%s %s (%s)", system.sysname, system.release, system.machine);
}

Cstring FileModDateText(const char* thePath)
{
    Cstring text;
    // Not blocking: opening a pipe for reading would wait for a writer.
    const int descriptor = thePath && *thePath ? open(thePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (descriptor < 0)
        return text;
    struct stat info;
    tm local;
    if (fstat(descriptor, &info) == 0 && localtime_r(&info.st_mtime, &local))
        text.Format("%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour, local.tm_min, local.tm_sec);
    close(descriptor);
    return text;
}

Cstring BuildDateText(time_t theTime)
{
    static const char* const kMonths[]
        = { "UNK", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    Cstring text;
    tm local;
    if (!localtime_r(&theTime, &local) || local.tm_year + 1900 < 2000)
        return text;
    const int month = local.tm_mon + 1;
    text.Format("%s %d, %d, %02d:%02d:%02d", kMonths[month >= 1 && month <= 12 ? month : 0], local.tm_mday,
        local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}
