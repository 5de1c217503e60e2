#pragma once

#include <sys/types.h>

// The lock that makes an update of a folder the only one: held by a run
// from before it opens its log until its last change, and by a recovery
// while it reads and undoes a journal. It is a lock on the folder itself, so
// it leaves nothing behind in the installation and is let go by the system
// when its holder dies, however that happens.
class CFolderLock {
public:
    CFolderLock() = default;
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;
    ~CFolderLock() { Release(); }

    // Takes the lock of the open folder theFolder without waiting: 0,
    // EWOULDBLOCK while another process holds it, or another errno.
    int Take(int theFolder);
    void Release();
    bool IsHeld() const { return itsFile != -1; }

    // The process that holds the lock of theFolder, or 0 when that cannot be
    // told (another process namespace, or no lock).
    static pid_t Holder(int theFolder);

private:
    int itsFile = -1;
};
