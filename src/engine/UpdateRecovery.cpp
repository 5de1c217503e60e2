#include "engine/UpdateRecovery.h"

#include "engine/ConfinedFolder.h"
#include "engine/StagedInstall.h"
#include "engine/UpdateJournal.h"
#include "engine/UpdateLog.h"
#include "engine/UpdateNames.h"
#include "platform/FolderIterator.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

CStringArray gRecoveryNotes;

bool RecoverInterruptedUpdate(const char* theFolder, Cstring& theNote)
{
    CConfinedFolder folder;
    if (folder.Open(theFolder) != 0)
        return false;
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
