#include "engine/OutputFolder.h"

#include "foundation/ProgramFolders.h"

#include <cerrno>
#include <unistd.h>

int COutputFolder::Open(const Cstring& theRoot, const Cstring& theFolder)
{
    if (itsFolder != -1 && itsRootPath == theRoot && itsFolderName == theFolder)
        return itsFolder;
    if (itsFolder != -1)
        close(itsFolder);
    itsFolder = -1;
    if (!(itsRootPath == theRoot) || !itsRoot.IsOpen()) {
        itsRootPath.Clear();
        // The root itself may lie behind links: it is the caller's choice.
        if (!MakeFolders(theRoot.GetText()))
            return -1;
        if (const int error = itsRoot.Open(theRoot.GetText()); error != 0) {
            errno = error;
            return -1;
        }
        itsRootPath = theRoot;
    }
    itsFolder = itsRoot.MakeFolders(theFolder.GetText());
    if (itsFolder != -1)
        itsFolderName = theFolder;
    return itsFolder;
}

void COutputFolder::Close()
{
    if (itsFolder != -1)
        close(itsFolder);
    itsFolder = -1;
    itsRoot.Close();
    itsRootPath.Clear();
}
