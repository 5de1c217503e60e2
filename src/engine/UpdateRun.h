#pragma once

#include "engine/ConfinedFolder.h"
#include "engine/FolderLock.h"
#include "engine/KitTrust.h"
#include "engine/ZipExtractor.h"
#include "foundation/Cstring.h"

#include <cstdio>
#include <memory>
#include <stop_token>

class CProgram;
class CStagedInstall;
class CUpdateObserver;
struct CUpdateKit;

// One update of one installed copy: the steps, the log, and the safety
// around them. The installation is never left without its program: the
// archive is checked, then unpacked and checked again beside the
// installation, and only then is the installation changed, by renames that
// are journaled first and undone when anything fails, when the user stops
// the run, or at the next start after a kill. The window and the unattended
// mode both make one of these; it reaches the person only through its
// observer, and it stops when its one cancellation is asked for, through
// the observer's poll or RequestStop.
class CUpdateRun {
public:
    // What became of a run.
    enum Outcome {
        kNotRun,
        kDone,
        kUpToDate, // the copy held the update already and was left alone
        kRefused, // nothing in the installation was changed
        kStopped, // the person stopped it before it changed anything
        kRestored, // it changed the installation, failed or was stopped, and put it back
        kUnrestored, // as kRestored, but not all of it could be put back yet
    };

    // theObserver outlives the run.
    CUpdateRun(const Cstring& theTarget, CUpdateObserver& theObserver);
    ~CUpdateRun();
    CUpdateRun(const CUpdateRun&) = delete;
    CUpdateRun& operator=(const CUpdateRun&) = delete;

    // These before OpenLog. The kit (or only its archive and password);
    // theKit must outlive the run.
    void SetKit(const CUpdateKit& theKit);
    void SetArchive(const Cstring& theZipPath, const Cstring& thePassword);
    // Whose signature the kit needs (KitTrust.h).
    void SetTrust(const TrustOptions& theTrust) { itsTrust = theTrust; }
    // theDateText stamps the new bundle. With pNewest, the new bundle must be
    // that build, unless pInstalled (the build installed now) is the same:
    // then the program data lists nothing newer to hold it against.
    void SetBuilds(const Cstring& theDateText, const CProgram* pNewest, const CProgram* pInstalled);
    // With bLeave, a copy that already holds what the archive installs is
    // left alone, as found once the folder is locked: a run that finished
    // meanwhile is not done again.
    void LeaveUpToDateCopy(bool bLeave) { bLeaveUpToDate = bLeave; }

    // Takes the target folder's lock, finishes an interrupted update there,
    // then opens the log in the folder, never through a link. False when the
    // lock or the log cannot be had, or the copy is up to date: then nothing
    // else may happen, and nothing was changed, not even the log.
    bool OpenLog();
    // Everything after the log: true when the update is in place.
    bool Apply();
    // The run ends where OpenLog returns false, else in Apply; either then
    // appends the run's line to the history of updates (UpdateHistory.h).
    // Asks the run to stop at its next check, as a confirmed cancel does.
    // Any thread may ask; a signal handler may not (it sets a flag that an
    // observer's poll reads).
    void RequestStop() { itsStop.request_stop(); }

    Outcome GetOutcome() const { return itsOutcome; }
    // "done", "up-to-date", "refused", "stopped", "restored", "unrestored":
    // the outcome in the history and for programs reading --json.
    static const char* OutcomeName(Outcome theOutcome);
    // Whether the run ended because a stop was asked for and confirmed.
    bool WasStopped() const { return itsStop.stop_requested(); }
    // The date of the build installed when the run began, and of the build
    // the kit brings; empty when they are not known.
    Cstring FromBuild() const;
    Cstring ToBuild() const;
    // The status --apply ends with, and the window's program after this run.
    int ExitStatus() const;
    const Cstring& GetLogPath() const { return itsLogPath; }
    // Why the run failed, or a note on a run that was done, as the log and
    // the reports have it (the program's own words), and for the person, in
    // their language.
    const Cstring& GetMessage() const { return itsMessage; }
    const Cstring& GetShownMessage() const
    {
        return itsShownMessage.IsNotEmpty() ? itsShownMessage : itsMessage;
    }
    const Cstring& GetStatus() const { return itsStatus; }
    // What the run found of the kit's origin: signed by the maker of the
    // copy, or not checked; empty before the check. The same for the person.
    const Cstring& GetOriginNote() const { return itsOriginNote; }
    const Cstring& GetShownOriginNote() const { return itsShownOriginNote; }
    // Where the previous bundle was kept, after a run that was done.
    const Cstring& GetBackupPath() const { return itsBackupPath; }
    // For the person, after the run: what a failure means and what to do,
    // the folder, where the log is, what became of the installation and
    // where the previous copy was kept.
    Cstring DescribeResult() const;

private:
    class CObservedProgress;

    bool TakeFolder();
    // Adds to the message why the log could not be made, and for a folder
    // that another user owns, who can run the update.
    void ExplainNoLog(int theError);
    bool ApplySteps();
    void RecordHistory();
    bool Install(CStagedInstall& theInstall, class CKitOrigin& theOrigin);
    bool CheckOrigin(class CKitOrigin& theOrigin, int theArchive);
    bool CheckNewBundle(const Cstring& theBundle);
    Cstring StagedBundlePath(const CStagedInstall& theInstall) const;
    bool MakeBackup(CStagedInstall& theInstall);
    // Polls the observer for a stop request and has it confirmed; true once
    // the run is to stop.
    bool StopRequested();
    bool Abort();
    bool Fail(CStagedInstall& theInstall);

    Cstring itsTarget;
    CUpdateObserver& itsObserver;
    std::stop_source itsStop;
    std::unique_ptr<CObservedProgress> itsProgress;
    CConfinedFolder itsFolder;
    CFolderLock itsLock;
    FILE* itsLog = nullptr;
    Cstring itsLogPath;
    CZipExtractor itsExtractor;
    Cstring itsZipPath;
    Cstring itsPassword;
    const CUpdateKit* itsKit = nullptr;
    TrustOptions itsTrust;
    Cstring itsOriginNote; // the log's line
    Cstring itsShownOriginNote;
    Cstring itsDateText;
    const CProgram* itsNewest = nullptr;
    const CProgram* itsInstalled = nullptr;
    Cstring itsMessage; // the run's last error, as the log has it
    Cstring itsShownMessage; // the same for the person, when the log has it
    Cstring itsStatus;
    Cstring itsBackupPath;
    Outcome itsOutcome = kNotRun;
    bool bLeaveUpToDate = false;
};
