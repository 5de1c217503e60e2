#pragma once

#include <string>

// A small file system of its own (tmpfs) on a folder for as long as the
// object lives: for the failures a normal folder cannot show to root (a full
// disk, no inodes left, read only), and for runs whose syncs should cost
// nothing. Mounting needs root; IsMounted says whether it worked.
class CMountedFolder {
public:
    // theOptions as for mount -o, such as "size=256k" or "ro,nr_inodes=64".
    CMountedFolder(const std::string& thePath, const std::string& theOptions);
    ~CMountedFolder();
    CMountedFolder(const CMountedFolder&) = delete;
    CMountedFolder& operator=(const CMountedFolder&) = delete;

    bool IsMounted() const { return bMounted; }

private:
    std::string itsPath;
    bool bMounted = false;
};

// A folder bound over itself for as long as the object lives: read-only, so
// that even root cannot write there, or writable, which makes it a mount point
// that cannot be renamed. Needs root.
class CBindMount {
public:
    enum Access { kReadOnly, kWritable };

    CBindMount(const std::string& theFolder, Access theAccess);
    ~CBindMount();
    CBindMount(const CBindMount&) = delete;
    CBindMount& operator=(const CBindMount&) = delete;

    bool IsMounted() const { return bMounted; }

private:
    std::string itsFolder;
    bool bMounted = false;
};
