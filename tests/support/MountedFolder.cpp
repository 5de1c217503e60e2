#include "support/MountedFolder.h"

#include "support/RunProgram.h"

#include <filesystem>
#include <sys/mount.h>

CMountedFolder::CMountedFolder(const std::string& thePath, const std::string& theOptions)
    : itsPath(thePath)
{
    std::filesystem::create_directories(thePath);
    bMounted = RunProgram("mount -t tmpfs -o " + theOptions + " tmpfs " + ShellQuote(thePath)).status == 0;
}

CMountedFolder::~CMountedFolder()
{
    if (bMounted)
        RunProgram("umount " + ShellQuote(itsPath));
}

CBindMount::CBindMount(const std::string& theFolder, Access theAccess)
    : itsFolder(theFolder)
{
    bMounted = mount(theFolder.c_str(), theFolder.c_str(), nullptr, MS_BIND, nullptr) == 0;
    if (bMounted && theAccess == kReadOnly
        && mount(nullptr, theFolder.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        umount(theFolder.c_str());
        bMounted = false;
    }
}

CBindMount::~CBindMount()
{
    if (bMounted)
        umount(itsFolder.c_str());
}
