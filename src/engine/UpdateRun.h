#pragma once

#include "engine/ConfinedFolder.h"
#include "engine/FolderLock.h"
#include "engine/ZipExtractor.h"
#include "foundation/Cstring.h"

#include <cstdio>

class CProgram;

// One update of one installed copy: the steps, the log, and the safety
// around them. The installation is never left without its program: the
// archive is checked, then unpacked and checked again beside the
// installation, and only then is the installation changed, by renames that
// are journaled first and undone when anything fails, when the user aborts,
// or at the next start after a kill. The window and the unattended mode
// both drive this object; it reaches the user only through the progress
// items of the extractor and the cancel poll.
class CUpdateRun {
public:
    explicit CUpdateRun(const Cstring& theTarget);
    ~CUpdateRun();
    CUpdateRun(const CUpdateRun&) = delete;
    CUpdateRun& operator=(const CUpdateRun&) = delete;

    // Takes the target folder's lock, finishes an interrupted update there,
    // then opens the log in the folder, never through a link. False when the
    // lock or the log cannot be had: then nothing else may happen, and
    // nothing was changed, not even the log.
    bool OpenLog();
    // The extractor, for the window to give it its progress items.
    CZipExtractor& Extractor() { return itsExtractor; }
    // Before OpenLog.
    void SetArchive(const Cstring& theZipPath, const Cstring& thePassword);
    // With bLeave, a copy that already holds what the archive installs is
    // left alone, as found once the folder is locked: a run that finished
    // meanwhile is not done again. Before OpenLog.
    void LeaveUpToDateCopy(bool bLeave) { bLeaveUpToDate = bLeave; }
    // After OpenLog failed: whether it was because the copy is up to date.
    bool WasUpToDate() const { return bUpToDate; }
    // theDateText stamps the new bundle. With pNewest, the new bundle must be
    // that build, unless pInstalled (the build installed now) is the same:
    // then the program data lists nothing newer to hold it against.
    void SetBuilds(const Cstring& theDateText, const CProgram* pNewest, const CProgram* pInstalled);

    // Everything after the log: true when the update is in place.
    bool Apply();

    const Cstring& GetLogPath() const { return itsLogPath; }
    // Why the run failed, or a note on a run that was done.
    const Cstring& GetMessage() const { return itsMessage; }
    const Cstring& GetStatus() const { return itsStatus; }
    // Where the previous bundle was kept, after a run that was done.
    const Cstring& GetBackupPath() const { return itsBackupPath; }
    // After a failure: whether the installation had been changed and was put
    // back, or could not be put back completely.
    bool WasRestored() const { return bRestored; }
    bool IsLeftUnrestored() const { return bUnrestored; }

private:
    bool Install(class CStagedInstall& theInstall);
    bool CheckNewBundle(const Cstring& theBundle);
    Cstring StagedBundlePath(const class CStagedInstall& theInstall) const;
    bool MakeBackup(class CStagedInstall& theInstall);
    // Polls for the user's cancel; true once the update is to stop.
    bool StopRequested();
    bool Abort();
    bool Fail(class CStagedInstall& theInstall);

    Cstring itsTarget;
    CConfinedFolder itsFolder;
    CFolderLock itsLock;
    FILE* itsLog = nullptr;
    Cstring itsLogPath;
    CZipExtractor itsExtractor;
    Cstring itsZipPath;
    Cstring itsPassword;
    Cstring itsDateText;
    const CProgram* itsNewest = nullptr;
    const CProgram* itsInstalled = nullptr;
    Cstring itsMessage;
    Cstring itsStatus;
    Cstring itsBackupPath;
    bool bRestored = false;
    bool bUnrestored = false;
    bool bLeaveUpToDate = false;
    bool bUpToDate = false;
};
