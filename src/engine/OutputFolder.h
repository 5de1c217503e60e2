#pragma once

#include "engine/ConfinedFolder.h"
#include "foundation/Cstring.h"

// The folder the current file is written into, made when missing and
// resolved beneath its root without following a link. Consecutive entries
// mostly share a folder, so its descriptor is kept until another is asked
// for. One per thread that writes.
class COutputFolder {
public:
    COutputFolder() = default;
    COutputFolder(const COutputFolder&) = delete;
    COutputFolder& operator=(const COutputFolder&) = delete;
    ~COutputFolder() { Close(); }

    // A descriptor of theFolder beneath theRoot, valid until the next call
    // or Close; -1 with errno.
    int Open(const Cstring& theRoot, const Cstring& theFolder);
    // The same beneath the open folder theRoot, which the caller keeps open.
    int OpenIn(int theRoot, const Cstring& theFolder);
    void Close();

private:
    void CloseFolder();

    CConfinedFolder itsRoot;
    Cstring itsRootPath;
    int itsRootFolder = -1; // the root the folder was opened beneath
    Cstring itsFolderName;
    int itsFolder = -1;
};
