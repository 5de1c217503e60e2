#pragma once

#include "engine/ConfinedFolder.h"
#include "engine/UpdateJournal.h"
#include "foundation/Cstring.h"

#include <cstdio>
#include <functional>

// How an update reaches the target folder without ever leaving it half
// done. The archive is unpacked into a staging folder inside the target;
// only then is the installation changed, by renames alone: the installed
// bundle and the old-style program are moved aside, each staged item is
// moved in where nothing of its name lies, or swapped with the file it
// replaces (which so lands in the staging folder). Every rename is written
// to the journal and synced before it is made, so that RollBack, or the
// next start of the updater after a kill, reverses exactly the renames
// that happened; Commit makes the update stay and clears the staging folder.
//
// The staging folder is held open from the moment it is made, and every
// write, date and rename in it goes through that descriptor: someone who can
// write the target folder and swaps the folder's name for a link, or for a
// folder of their own, sends nothing anywhere else. The caller holds the
// target folder's lock (CFolderLock) for as long as this object lives.
class CStagedInstall {
public:
    // theTarget must stay open while this object lives; theLog may be null.
    CStagedInstall(const CConfinedFolder& theTarget, const Cstring& theTargetPath, FILE* theLog);

    // Starts the journal, then makes the staging folder; false with
    // theMessage when either cannot be had.
    bool Begin(Cstring& theMessage);
    Cstring StagePath() const;
    // The staging folder, open; -1 before Begin.
    int StageFolder() const { return itsStage.Descriptor(); }
    // Moves theFrom to the free name theTo, both in the target folder;
    // journaled first. 0 or the errno of the rename.
    int MoveAside(const char* theFrom, const char* theTo);
    // Puts every staged item in place. theStop is asked between renames; when
    // it says so, or something stands in the way, the result is false and
    // theMessage says why (empty for a stop).
    bool PutInPlace(const std::function<bool()>& theStop, Cstring& theMessage);
    // Makes the update stay once all of it is on disk; false with theMessage.
    // A staging folder that cannot be cleared away is logged and left to the
    // next start of the updater, which finds the kept journal.
    bool Commit(Cstring& theMessage);
    // Reverses what the run changed, line by line in the log; true when the
    // installation is as it was.
    bool RollBack();
    // Whether anything in the installation itself was changed yet.
    bool HasChanged() const { return bChanged; }

private:
    bool PlanFolder(const std::string& theFolder, std::vector<JournalRecord>& thePlan, Cstring& theMessage);
    int Apply(const JournalRecord& theRecord);
    int MakeStage();

    const CConfinedFolder& itsTarget;
    CConfinedFolder itsStage;
    Cstring itsTargetPath;
    FILE* itsLog;
    CUpdateJournal itsJournal;
    bool bStarted = false;
    bool bChanged = false;
};

// Reverses the changes theJournal records (those that happened), clears the
// staging folder and removes the journal; a committed journal is only
// cleared away. One log line per change undone. True when nothing is left
// to undo. An undo takes an item only when it is the one its record put
// there, so that a rollback stopped part way can be done again at the next
// start. The journal is kept until the staging folder is gone. theStage is
// the open staging folder, or -1 to open the one the journal names.
bool UndoJournal(const CConfinedFolder& theTarget, const Cstring& theTargetPath, CUpdateJournal& theJournal,
    FILE* theLog, int theStage = -1);

// Renames theFrom to theTo in the open folders, never over an existing item
// (unless the file system cannot tell, then after a check); 0 or errno.
int RenameNoReplace(int theFromFolder, const char* theFrom, int theToFolder, const char* theTo);
