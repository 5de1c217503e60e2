#include "engine/OutputFolder.h"

#include "foundation/ProgramFolders.h"

#include <cerrno>
#include <unistd.h>

int COutputFolder::Open(const Cstring& theRoot, const Cstring& theFolder)
{
    if (!(itsRootPath == theRoot) || !itsRoot.IsOpen()) {
        Close();
        // The root itself may lie behind links: it is the caller's choice.
        if (!MakeFolders(theRoot.GetText()))
            return -1;
        if (const int error = itsRoot.Open(theRoot.GetText()); error != 0) {
            errno = error;
            return -1;
        }
        itsRootPath = theRoot;
    }
    return OpenIn(itsRoot.Descriptor(), theFolder);
}

int COutputFolder::OpenIn(int theRoot, const Cstring& theFolder)
{
    if (itsFolder != -1 && itsRootFolder == theRoot && itsFolderName == theFolder)
        return itsFolder;
    CloseFolder();
    itsFolder = MakeFoldersBeneath(theRoot, theFolder.GetText());
    if (itsFolder != -1) {
        itsRootFolder = theRoot;
        itsFolderName = theFolder;
    }
    return itsFolder;
}

void COutputFolder::CloseFolder()
{
    if (itsFolder != -1)
        close(itsFolder);
    itsFolder = -1;
    itsRootFolder = -1;
}

void COutputFolder::Close()
{
    CloseFolder();
    itsRoot.Close();
    itsRootPath.Clear();
}
