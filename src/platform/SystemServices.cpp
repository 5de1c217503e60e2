#include "platform/SystemServices.h"

#include "foundation/ProgramFolders.h"
#include "platform/Resources.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

bool FileExists(const char* thePath)
{
    // Short references ("./Help/x") name files below the program folders.
    const Cstring path = MakeAbsolutePath(thePath);
    struct stat info;
    return path.IsNotEmpty() && stat(path.GetText(), &info) == 0;
}

Cstring gSystemDescription;

void GetProgramInfo(Cstring& theFolder, Cstring& theVersion, Cstring& theBuildDate)
{
    theFolder = "";
    // The short version text of 'vers' 1 held at most 255 bytes.
    const ResourceData version = LoadResource(gAppResFile, "vers", 1);
    if (version.IsEmpty())
        theVersion = PW_VERSION;
    else
        theVersion.Assign(version.Data(), static_cast<int>(std::min<size_t>(version.Size(), 255)));
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
