#include "engine/UpdateRecovery.h"

#include "engine/ConfinedFolder.h"
#include "engine/FolderLock.h"
#include "engine/StagedInstall.h"
#include "engine/UpdateJournal.h"
#include "engine/UpdateLog.h"
#include "engine/UpdateNames.h"
#include "platform/FolderIterator.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

CStringArray gRecoveryNotes;

namespace {

// The folders recovered by this process, by device and inode: a path may
// name one folder in several ways.
std::set<std::pair<dev_t, ino_t>> gRecoveredFolders;

void NoteRecovered(int theFolder)
{
    struct stat info;
    if (fstat(theFolder, &info) == 0)
        gRecoveredFolders.insert({ info.st_dev, info.st_ino });
}

} // namespace

bool WasRecoveredHere(int theFolder)
{
    struct stat info;
    return fstat(theFolder, &info) == 0 && gRecoveredFolders.count({ info.st_dev, info.st_ino }) != 0;
}

bool RecoverInterruptedUpdate(const char* theFolder, Cstring& theNote)
{
    CConfinedFolder folder;
    if (folder.Open(theFolder) != 0)
        return false;
    // Held until the journal is gone: a second start must neither undo the
    // same journal at once nor take a new run's journal for this one's.
    CFolderLock lock;
    if (const int error = lock.Take(folder.Descriptor()); error != 0) {
        struct stat journal;
        if (fstatat(folder.Descriptor(), kJournalName, &journal, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        theNote.Format(error == EWOULDBLOCK
                ? "The program in \"%s\" is being updated by another run of the updater."
                : "The journal of an interrupted update in \"%s\" cannot be read.",
            theFolder);
        return true;
    }
    return RecoverLockedFolder(folder, theFolder, theNote);
}

bool RecoverLockedFolder(const CConfinedFolder& theOpenFolder, const char* theFolder, Cstring& theNote)
{
    const CConfinedFolder& folder = theOpenFolder;
    CUpdateJournal journal;
    const int error = journal.Load(folder.Descriptor());
    if (error == ENOENT)
        return false;
    if (error != 0) {
        theNote.Format(error == EWOULDBLOCK
                ? "The program in \"%s\" is being updated by another run of the updater."
                : "The journal of an interrupted update in \"%s\" cannot be read.",
            theFolder);
        return true;
    }
    NoteRecovered(folder.Descriptor());
    FILE* log = OpenUpdateLog(folder.Descriptor(), kLogAppended);
    if (log)
        std::fprintf(log, "Found the journal of an interrupted update in %s\n", theFolder);
    const bool bCommitted = journal.IsCommitted();
    const bool bUndone = UndoJournal(folder, Cstring(theFolder), journal, log);
    if (bCommitted) {
        theNote.Format(
            "An interrupted update of the program in \"%s\" had been completed; it was kept.", theFolder);
        if (log)
            std::fprintf(log, "The update had been completed and is kept\n");
    } else if (bUndone) {
        theNote.Format(
            "An update of the program in \"%s\" was interrupted; the previous version was restored.",
            theFolder);
        if (log)
            std::fprintf(log, "The previous version was restored\n");
    } else {
        theNote.Format("An update of the program in \"%s\" was interrupted, and the previous version could "
                       "not be restored completely; see \"%s\".",
            theFolder, Cstring::Path(theFolder, kLogName).GetText());
        if (log)
            std::fprintf(log, "The previous version could not be restored completely\n");
    }
    if (log)
        std::fclose(log);
    return true;
}

void RecoverInterruptedUpdates(const char* theFolder, CStringArray& theNotes)
{
    CFolderIterator folders(theFolder, "*");
    while (folders.Next()) {
        if (!folders.IsFolder())
            continue;
        const Cstring path = folders.GetPath();
        const Cstring journal = Cstring::Path(path, kJournalName);
        Cstring note;
        if (access(journal.GetText(), F_OK) == 0 && RecoverInterruptedUpdate(path.GetText(), note))
            theNotes.Add(note);
    }
}
