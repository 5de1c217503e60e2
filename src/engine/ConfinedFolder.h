#pragma once

#include <sys/stat.h>

// A folder that a run writes beneath, held open by its descriptor. Every path
// handed to it is relative and is resolved without following a symbolic link
// and without leaving the folder: links that already lie in an installation,
// or that someone puts there while a run goes on, cannot send a write
// anywhere else. The folder's own path may hold links; the user chose it.
class CConfinedFolder {
public:
    CConfinedFolder() = default;
    CConfinedFolder(const CConfinedFolder&) = delete;
    CConfinedFolder& operator=(const CConfinedFolder&) = delete;
    ~CConfinedFolder() { Close(); }

    // 0, or the errno why theRoot cannot be opened as a folder.
    int Open(const char* theRoot);
    // Holds a duplicate of theFolder, a folder the caller opened with care of
    // its own; 0 or the errno.
    int Adopt(int theFolder);
    void Close();
    bool IsOpen() const { return itsFolder != -1; }
    int Descriptor() const { return itsFolder; }

    // A new descriptor of the folder at theRelative ("" is the root itself),
    // or -1 with errno set (ELOOP or ENOTDIR when a link lies on the way).
    int OpenFolder(const char* theRelative) const;
    // The same, making the missing folders on the way (mode 0755).
    int MakeFolders(const char* theRelative) const;
    // Opens theRelative with theFlags (O_NOFOLLOW is implied); -1 with errno.
    int OpenFile(const char* theRelative, int theFlags, mode_t theMode = 0) const;
    // lstat of theRelative; 0 or the errno (ELOOP or ENOTDIR when a link
    // lies on the way; a link as the last component is reported, not followed).
    int Stat(const char* theRelative, struct stat& theInfo) const;

private:
    int itsFolder = -1;
};

// Opens theRelative beneath theFolder (a descriptor) with theFlags, refusing
// links on the way and at the end; -1 with errno.
int OpenBeneath(int theFolder, const char* theRelative, int theFlags, mode_t theMode = 0);

// Opens the folder theRelative beneath theFolder, making the missing folders
// on the way (mode 0755), refusing links; -1 with errno.
int MakeFoldersBeneath(int theFolder, const char* theRelative);

// Removes theName from theFolder and, when it is a folder, everything in it,
// never following a link. 0 (also when nothing is there) or an errno.
int RemoveTree(int theFolder, const char* theName);
