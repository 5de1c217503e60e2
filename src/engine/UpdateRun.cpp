#include "engine/UpdateRun.h"

#include "engine/BuildCheck.h"
#include "engine/EngineTexts.h"
#include "engine/ExitStatus.h"
#include "engine/FailureAdvice.h"
#include "engine/HeldFile.h"
#include "engine/KitOrigin.h"
#include "engine/Progress.h"
#include "engine/StagedInstall.h"
#include "engine/UpToDate.h"
#include "engine/UpdateHistory.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateLog.h"
#include "engine/UpdateNames.h"
#include "engine/UpdateObserver.h"
#include "engine/UpdatePreflight.h"
#include "engine/UpdateRecovery.h"
#include "engine/UpdateSteps.h"
#include "identification/Program.h"
#include "identification/ProgramList.h"
#include "platform/TextFormat.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int kBackupAttempts = 25;

bool ExistsIn(const CConfinedFolder& theFolder, const char* theName)
{
    struct stat info;
    return theFolder.Stat(theName, info) == 0;
}

} // namespace

// The extraction's progress, shown by the observer; each report is also a
// moment to hear a stop request.
class CUpdateRun::CObservedProgress : public CExtractionProgress {
public:
    explicit CObservedProgress(CUpdateRun& theRun)
        : itsRun(theRun)
    {
    }
    void Update(const Cstring& theName, int64_t theBytesDone, int64_t theTotalBytes, uint32_t theFilesDone,
        uint32_t theFileCount) override
    {
        itsRun.itsObserver.ShowProgress({ theName, theBytesDone, theTotalBytes, theFilesDone, theFileCount });
        itsRun.StopRequested();
    }

private:
    CUpdateRun& itsRun;
};

CUpdateRun::CUpdateRun(const Cstring& theTarget, CUpdateObserver& theObserver)
    : itsTarget(theTarget)
    , itsObserver(theObserver)
    , itsProgress(std::make_unique<CObservedProgress>(*this))
{
    itsExtractor.SetProgress(itsProgress.get());
    itsExtractor.SetStopToken(itsStop.get_token());
}

CUpdateRun::~CUpdateRun()
{
    itsExtractor.Close();
    if (itsLog)
        std::fclose(itsLog);
}

int CUpdateRun::ExitStatus() const
{
    switch (itsOutcome) {
    case kNotRun:
    case kDone:
    case kUpToDate:
        return kExitDone;
    case kRefused:
        return kExitRefused;
    case kStopped:
    case kRestored:
    case kUnrestored:
        break;
    }
    return kExitFailed;
}

Cstring CUpdateRun::DescribeResult() const
{
    const bool bDone = itsOutcome == kDone;
    // Below what happened, what it means and what to do, before where things are.
    Cstring text = bDone ? Cstring() : FailureAdvice(itsMessage);
    if (text.IsNotEmpty())
        text.Append("\n");
    if (bDone)
        text.Append(FormatText(kTextUpdatedFolder, itsTarget.GetText()).Append("\n").GetText());
    if (itsLogPath.IsNotEmpty())
        text.Append(FormatText(kTextLogIsIn, itsLogPath.GetText()).GetText());
    // A done update has nothing to say about the installation beyond the backup.
    const int installation = bDone  ? 0
        : itsOutcome == kRestored   ? kTextPreviousRestored
        : itsOutcome == kUnrestored ? kTextPreviousNotRestored
        : itsLogPath.IsNotEmpty()   ? kTextNothingChanged
                                    : 0;
    if (installation != 0)
        text.Append(Cstring("\n", TextOf(installation).GetText()).GetText());
    if (itsBackupPath.IsNotEmpty())
        text.Append(
            Cstring("\n", FormatText(kTextBackupKeptAs, itsBackupPath.GetText()).GetText()).GetText());
    return text;
}

const char* CUpdateRun::OutcomeName(Outcome theOutcome)
{
    switch (theOutcome) {
    case kNotRun:
        break;
    case kDone:
        return "done";
    case kUpToDate:
        return "up-to-date";
    case kRefused:
        return "refused";
    case kStopped:
        return "stopped";
    case kRestored:
        return "restored";
    case kUnrestored:
        return "unrestored";
    }
    return "not-run";
}

Cstring CUpdateRun::FromBuild() const
{
    return itsInstalled ? itsInstalled->itsDate : Cstring();
}

Cstring CUpdateRun::ToBuild() const
{
    return itsNewest ? itsNewest->itsDate : Cstring();
}

void CUpdateRun::RecordHistory()
{
    AppendUpdateHistory({ itsTarget, FromBuild(), ToBuild(), OutcomeName(itsOutcome), itsLogPath }, itsLog);
}

bool CUpdateRun::OpenLog()
{
    if (TakeFolder())
        return true;
    RecordHistory();
    return false;
}

bool CUpdateRun::TakeFolder()
{
    itsOutcome = kRefused;
    if (const int error = itsFolder.Open(itsTarget.GetText()); error != 0) {
        FormatOwnAndShown(
            itsMessage, itsShownMessage, kTextUnableToOpen, itsTarget.GetText(), std::strerror(error));
        return false;
    }
    // Before anything is written, the log included: a second run must not
    // change what the first one is doing.
    if (const int error = itsLock.Take(itsFolder.Descriptor()); error != 0) {
        if (error != EWOULDBLOCK)
            FormatOwnAndShown(
                itsMessage, itsShownMessage, kTextUnableToLock, itsTarget.GetText(), std::strerror(error));
        else if (const pid_t holder = CFolderLock::Holder(itsFolder.Descriptor()); holder != 0)
            FormatOwnAndShown(itsMessage, itsShownMessage, kTextRunningElsewhere, itsTarget.GetText(),
                static_cast<int>(holder));
        else
            FormatOwnAndShown(itsMessage, itsShownMessage, kTextRunningElsewhereUnknown, itsTarget.GetText());
        return false;
    }
    // A run killed since the start-up's recovery, or in a folder that was
    // not looked at then; its lines stay in the log, before this run's.
    if (Cstring note; RecoverLockedFolder(itsFolder, itsTarget.GetText(), note))
        gRecoveryNotes.Add(note);
    if (bLeaveUpToDate && IsAlreadyInstalled(itsZipPath.GetText(), itsTarget.GetText())) {
        itsOutcome = kUpToDate;
        FormatOwnAndShown(itsMessage, itsShownMessage, kTextAlreadyUpToDate, itsTarget.GetText());
        return false;
    }
    itsLog = OpenUpdateLog(
        itsFolder.Descriptor(), WasRecoveredHere(itsFolder.Descriptor()) ? kLogAppended : kLogEmptied);
    if (!itsLog) {
        ExplainNoLog(errno);
        return false;
    }
    itsLog = ObserveLogLines(itsLog, [this](const char* theLine) { itsObserver.ShowLogLine(theLine); });
    itsLogPath = Cstring::Path(itsTarget, kLogName);
    itsExtractor.SetLogFile(itsLog);
    return true;
}

void CUpdateRun::ExplainNoLog(int theError)
{
    FormatOwnAndShown(itsMessage, itsShownMessage, kTextNoLogFile);
    const auto addLine = [this](int theText, const char* theFirst, const char* theSecond) {
        Cstring own, shown;
        FormatOwnAndShown(own, shown, theText, theFirst, theSecond);
        itsMessage += "\n";
        itsMessage += own;
        itsShownMessage += "\n";
        itsShownMessage += shown;
    };
    addLine(kTextNoLogFileReason, Cstring::Path(itsTarget, kLogName).GetText(), std::strerror(theError));
    struct stat folder;
    if ((theError != EACCES && theError != EPERM) || fstat(itsFolder.Descriptor(), &folder) != 0
        || folder.st_uid == geteuid())
        return;
    const passwd* owner = getpwuid(folder.st_uid);
    const std::string name = owner ? owner->pw_name : std::to_string(folder.st_uid);
    addLine(kTextRunByOwner, itsTarget.GetText(), name.c_str());
}

void CUpdateRun::SetKit(const CUpdateKit& theKit)
{
    SetArchive(theKit.itsArchive, theKit.itsPassword);
    itsKit = &theKit;
}

void CUpdateRun::SetArchive(const Cstring& theZipPath, const Cstring& thePassword)
{
    itsZipPath = theZipPath;
    itsPassword = thePassword;
}

void CUpdateRun::SetBuilds(const Cstring& theDateText, const CProgram* pNewest, const CProgram* pInstalled)
{
    itsDateText = theDateText;
    itsNewest = pNewest;
    itsInstalled = pInstalled;
}

bool CUpdateRun::Apply()
{
    const bool bDone = ApplySteps();
    RecordHistory();
    return bDone;
}

bool CUpdateRun::ApplySteps()
{
    itsMessage.Clear();
    itsShownMessage.Clear();
    itsOutcome = kRefused;
    // The archive is opened once: its signature is checked on what this
    // descriptor reads, and the check before the run and the unpacking read
    // the same file through it, whatever has the archive's name by then.
    const CHeldFile archive(itsZipPath.GetText());
    CKitOrigin origin;
    if (!CheckOrigin(origin, archive.Descriptor()))
        return false;
    // Nothing in the installation is touched before the archive is known to
    // be good: a bad archive found later would leave no application.
    if (!PreflightUpdate(archive.Path().GetText(), itsPassword.GetText(), itsTarget.GetText(), itsMessage,
            itsLog, itsZipPath.GetText()))
        return false;
    if (StopRequested()) {
        Abort();
        TraceTo(itsLog, "The installation was left as it was\n");
        itsOutcome = kStopped;
        return false;
    }

    CStagedInstall install(itsFolder, itsTarget, itsLog);
    if (!install.Begin(itsMessage))
        return Fail(install);
    itsExtractor.SetPassword(itsPassword.GetText());
    itsExtractor.SetOverwriteMode(CZipExtractor::kOverwriteReplace);
    itsExtractor.SetPlacement(CEntryPlacement::ForUpdate(itsTarget.GetText()));
    itsExtractor.SetStagingFolder(install.StageFolder());
    if (!itsExtractor.Open(archive.Path().GetText())) {
        TraceTo(itsLog, "Opening update zip file - %s failed\n", itsZipPath.GetText());
        itsMessage = itsExtractor.GetLastError();
        return Fail(install);
    }
    TraceTo(itsLog, "Opening update zip file - %s succeeded\n", itsZipPath.GetText());
    const int extracted = itsExtractor.ExtractFiles();
    itsExtractor.Close();
    if (extracted != 1) {
        itsMessage = itsExtractor.GetLastError();
        return Fail(install);
    }
    if (itsExtractor.GetFilesDone() != itsExtractor.GetFileCount()) {
        itsStatus.Format("One or more files were skipped, %d of %d processed",
            static_cast<int>(itsExtractor.GetFilesDone()), static_cast<int>(itsExtractor.GetFileCount()));
        itsMessage = itsStatus;
    }
    return Install(install, origin);
}

bool CUpdateRun::CheckOrigin(CKitOrigin& theOrigin, int theArchive)
{
    const std::filesystem::path archive(itsZipPath.GetText());
    const std::string kitFolder = itsKit ? itsKit->itsFolder.GetText() : archive.parent_path().string();
    const CKitOrigin::State state = theOrigin.Check(itsKit, kitFolder.c_str(), archive.filename().c_str(),
        theArchive, itsTarget.GetText(), itsTrust, itsInstalled ? itsInstalled->itsDate.GetText() : nullptr,
        itsMessage);
    itsOriginNote = theOrigin.Note();
    itsShownOriginNote = theOrigin.ShownNote();
    if (state == CKitOrigin::kRefused) {
        itsShownMessage = theOrigin.ShownMessage();
        TraceTo(itsLog, "%s\n", itsMessage.GetText());
        TraceTo(itsLog, "The installation was left as it was\n");
        return false;
    }
    TraceTo(itsLog, "%s\n", itsOriginNote.GetText());
    return true;
}

// The new bundle waits in the staging folder; from here on the installation
// itself changes.
bool CUpdateRun::Install(CStagedInstall& theInstall, CKitOrigin& theOrigin)
{
    if (!theOrigin.Confirm(itsMessage)) {
        // The signature was good but a file was not: the note said signed.
        itsOriginNote = "";
        itsShownOriginNote = "";
        itsShownMessage = theOrigin.ShownMessage();
        TraceTo(itsLog, "%s\n", itsMessage.GetText());
        return Fail(theInstall);
    }
    const Cstring bundle = Cstring::Path(itsTarget, kBundleName);
    // Without valid builds there is no date to give the bundle.
    const bool bDated = itsDateText.IsNotEmpty()
        && SetFileTimestampAt(theInstall.StageFolder(), kBundleName, itsDateText.GetText());
    if (!CheckNewBundle(StagedBundlePath(theInstall)))
        return Fail(theInstall);
    if (StopRequested())
        return Abort(), Fail(theInstall);

    if (ExistsIn(itsFolder, kOldProgramName) && !ExistsIn(itsFolder, kPowerPcName))
        theInstall.MoveAside(kOldProgramName, kPowerPcName); // its outcome does not matter
    if (ExistsIn(itsFolder, kBundleName) && !MakeBackup(theInstall))
        return Fail(theInstall);
    Cstring problem;
    if (!theInstall.PutInPlace([this] { return StopRequested(); }, problem)) {
        if (problem.IsEmpty())
            Abort();
        else
            itsMessage = problem;
        return Fail(theInstall);
    }
    if (StopRequested())
        return Abort(), Fail(theInstall);
    if (!theInstall.Commit(problem)) {
        itsMessage = problem;
        return Fail(theInstall);
    }
    if (bDated)
        TraceTo(itsLog, "%s timestamp set to %s \n", bundle.GetText(), itsDateText.GetText());
    itsOutcome = kDone;
    return true;
}

// The staged bundle by a path through the held staging folder, so that the
// check reads what will be put in place, whatever now has the folder's name.
Cstring CUpdateRun::StagedBundlePath(const CStagedInstall& theInstall) const
{
    Cstring held;
    held.Format("/proc/self/fd/%d", theInstall.StageFolder());
    struct stat info;
    if (stat(held.GetText(), &info) != 0)
        held = theInstall.StagePath(); // no /proc: the name is all there is
    return Cstring::Path(held, kBundleName);
}

bool CUpdateRun::CheckNewBundle(const Cstring& theBundle)
{
    if (!itsNewest)
        return true;
    const Cstring bundle = Cstring::Path(itsTarget, kBundleName);
    Cstring problem;
    if (BundleMatchesBuild(theBundle.GetText(), *itsNewest, problem)) {
        TraceTo(itsLog, "%s matches the newest valid build of %s\n", bundle.GetText(),
            itsNewest->itsDate.GetText());
        return true;
    }
    if (itsInstalled == itsNewest) {
        TraceTo(itsLog, "%s was not checked: the program data holds no build newer than the installed one\n",
            bundle.GetText());
        return true;
    }
    itsMessage.Format("The new %s is not the newest valid build of %s: %s", kBundleName,
        itsNewest->itsDate.GetText(), problem.GetText());
    TraceTo(itsLog, "%s\n", itsMessage.GetText());
    return false;
}

bool CUpdateRun::MakeBackup(CStagedInstall& theInstall)
{
    const Cstring bundle = Cstring::Path(itsTarget, kBundleName);
    int error = 0;
    for (int attempt = 0; attempt < kBackupAttempts; ++attempt) {
        const Cstring backup = BackupName(bundle.GetText());
        const char* backupName = backup.GetText() + itsTarget.Length() + 1;
        error = theInstall.MoveAside(kBundleName, backupName);
        TraceTo(itsLog, error == 0 ? "Rename of %s to %s succeeded\n" : "Rename of %s to %s failed\n",
            bundle.GetText(), backup.GetText());
        if (error == 0) {
            itsBackupPath = backup;
            return true;
        }
    }
    // Extracting over the only copy would leave no way back.
    itsMessage.Format("Unable to back up %s - %s", bundle.GetText(), std::strerror(error));
    return false;
}

bool CUpdateRun::StopRequested()
{
    if (!itsStop.stop_requested() && itsObserver.HasStopRequest()
        && itsObserver.ConfirmStop(TextOf(kTextAbortQuestion).GetText()))
        itsStop.request_stop();
    return itsStop.stop_requested();
}

bool CUpdateRun::Abort()
{
    itsMessage = "Extract Aborted";
    TraceTo(itsLog, "ExtractFiles aborted\n");
    return false;
}

bool CUpdateRun::Fail(CStagedInstall& theInstall)
{
    const bool bChanged = theInstall.HasChanged();
    if (bChanged)
        TraceTo(itsLog, "Restoring the previous version\n");
    if (!theInstall.RollBack()) {
        itsOutcome = kUnrestored;
        TraceTo(itsLog,
            "The previous version could not be restored completely; the next start of the updater tries "
            "again\n");
    } else if (bChanged) {
        itsOutcome = kRestored;
        TraceTo(itsLog, "The previous version was restored\n");
    } else {
        itsOutcome = itsStop.stop_requested() ? kStopped : kRefused;
        TraceTo(itsLog, "The installation was left as it was\n");
    }
    if (itsOutcome != kUnrestored)
        itsBackupPath.Clear();
    return false;
}
