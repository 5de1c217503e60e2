#include "app/Unattended.h"

#include "app/AppTexts.h"
#include "app/ConsoleObserver.h"
#include "app/ConsoleReport.h"
#include "engine/BuildCheck.h"
#include "engine/EngineTexts.h"
#include "engine/UpToDate.h"
#include "engine/UpdateHistory.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateRecovery.h"
#include "engine/UpdateRun.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramData.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"
#include "identification/ProgramScanner.h"
#include "platform/TextFormat.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

namespace {

void OnStopSignal(int theSignal)
{
    CConsoleObserver::RequestStop(theSignal);
}

// The handlers live as long as the run; before it and after it, the
// handlers before are back (an unpacked kit's, which removes the kit before
// the signal ends the program, or the default).
class CStopSignals {
public:
    CStopSignals()
        : itsOldInt(std::signal(SIGINT, OnStopSignal))
        , itsOldTerm(std::signal(SIGTERM, OnStopSignal))
    {
    }
    ~CStopSignals()
    {
        std::signal(SIGINT, itsOldInt);
        std::signal(SIGTERM, itsOldTerm);
    }
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

private:
    void (*itsOldInt)(int);
    void (*itsOldTerm)(int);
};

void PrintLine(const Cstring& theText)
{
    if (theText.IsNotEmpty() && strcmp(theText.GetText(), " ") != 0)
        std::fprintf(stderr, "%s\n", theText.GetText());
}

Cstring AbsoluteFolder(const char* theFolder)
{
    char* resolved = realpath(theFolder, nullptr);
    Cstring folder(resolved ? resolved : theFolder);
    std::free(resolved);
    folder.TrimTrailing('/');
    return folder;
}

void PrintRecoveryNotes()
{
    for (int i = 0; i < gRecoveryNotes.GetCount(); ++i)
        std::fprintf(stderr, "%s\n", gRecoveryNotes.At(i).GetText());
}

// The copy in theFolder: one that start-up found, or one found there now,
// after an interrupted update of it is finished. Null after saying why not.
const CProgram* FindCopy(const Cstring& theFolder)
{
    if (const CProgram* found = FindProgramByFolder(FoundPrograms, theFolder.GetText()))
        return found;
    if (Cstring note; RecoverInterruptedUpdate(theFolder.GetText(), note))
        std::fprintf(stderr, "%s\n", note.GetText());
    if (ProcessDirectory(FoundPrograms, theFolder.GetText(), gValidProgramNames, &ValidPrograms) == 0) {
        std::fprintf(stderr, "%s\n", FormatText(kTextNoValidProgram, theFolder.GetText()).GetText());
        return nullptr;
    }
    return FindProgramByFolder(FoundPrograms, theFolder.GetText());
}

int SayUpToDate(const Cstring& theFolder, bool bQuiet, ApplyReport& theReport)
{
    theReport.itsStatus = CUpdateRun::OutcomeName(CUpdateRun::kUpToDate);
    Cstring shown;
    FormatOwnAndShown(theReport.itsMessage, shown, kTextAlreadyUpToDate, theFolder.GetText());
    if (!bQuiet)
        std::fprintf(stderr, "%s.\n%s\n", shown.GetText(), TextOf(kTextUseForce).GetText());
    return theReport.itsExitStatus = kExitDone;
}

// A stop that SIGINT or SIGTERM asked for and that left the copy as it was:
// the status of a program that the signal ended.
int CancelledStatus(const CUpdateRun& theRun)
{
    const int signal = CConsoleObserver::StopSignal();
    const CUpdateRun::Outcome outcome = theRun.GetOutcome();
    if (signal == 0 || !theRun.WasStopped()
        || (outcome != CUpdateRun::kStopped && outcome != CUpdateRun::kRestored))
        return 0;
    return kExitSignalBase + signal;
}

// Quiet, a run that did what was asked says nothing; a warning on the kit's
// origin still shows.
void PrintResult(const CUpdateRun& theRun, bool bCancelled, bool bQuiet)
{
    if (bCancelled) {
        const int outcome
            = theRun.GetOutcome() == CUpdateRun::kRestored ? kTextCancelRestored : kTextCancelUnchanged;
        std::fprintf(stderr, "%s\n%s\n", FormatText(kTextCancelled, TextOf(outcome).GetText()).GetText(),
            FormatText(kTextLogPath, theRun.GetLogPath().GetText()).GetText());
        return;
    }
    const bool bDone = theRun.GetOutcome() == CUpdateRun::kDone;
    if (bDone && bQuiet) {
        PrintLine(theRun.GetShownOriginNote());
        return;
    }
    std::fprintf(stderr, "%s\n", TextOf(bDone ? kTextUpdateDone : kTextUpdateFailed).GetText());
    PrintLine(theRun.GetShownMessage());
    PrintLine(theRun.GetStatus());
    if (!bDone) {
        PrintLine(theRun.DescribeResult());
    } else {
        std::fprintf(stderr, "%s\n", FormatText(kTextLogPath, theRun.GetLogPath().GetText()).GetText());
        if (theRun.GetBackupPath().IsNotEmpty())
            std::fprintf(
                stderr, "%s\n", FormatText(kTextBackupPath, theRun.GetBackupPath().GetText()).GetText());
    }
    PrintLine(theRun.GetShownOriginNote());
}

// Tells the report as JSON when asked to, and gives its status.
int Finish(const ApplyReport& theReport, const ApplyOptions& theOptions)
{
    if (theOptions.bJson)
        PrintApplyJson(theReport);
    return theReport.itsExitStatus;
}

int ApplyFound(
    const CUpdateKit& theKit, const CProgram& theCopy, const ApplyOptions& theOptions, ApplyReport& theReport)
{
    const Cstring target = theCopy.itsFolder;
    theReport.itsFolder = target;
    const CProgram* installed = FindMatchingProgram(ValidPrograms, theCopy);
    const CProgram* newest = NewestValidBuild(ValidPrograms);
    if (!theOptions.bForce && IsAlreadyInstalled(theKit.itsArchive.GetText(), target.GetText())) {
        theReport.itsFromBuild = installed ? installed->itsDate : Cstring();
        theReport.itsToBuild = newest ? newest->itsDate : Cstring();
        // Looked at without a run, and so without a log; the history still tells it.
        AppendUpdateHistory({ target, theReport.itsFromBuild, theReport.itsToBuild,
                                CUpdateRun::OutcomeName(CUpdateRun::kUpToDate), Cstring() },
            nullptr);
        return SayUpToDate(target, theOptions.bQuiet, theReport);
    }

    CConsoleObserver observer(stderr, theOptions.bLogLines, theOptions.bQuiet);
    CUpdateRun run(target, observer);
    {
        const CStopSignals signals;
        if (!theOptions.bQuiet)
            std::fprintf(stderr, "%s\n", FormatText(kTextUpdating, target.GetText()).GetText());
        run.SetKit(theKit);
        run.SetTrust(theOptions.itsTrust);
        run.SetBuilds(LatestProgramDate(ValidPrograms), newest, installed);
        // Asked again under the folder's lock: another run may have finished
        // the same update since.
        run.LeaveUpToDateCopy(!theOptions.bForce);
        if (run.OpenLog())
            run.Apply();
        observer.Finish();
    }
    theReport.itsFromBuild = run.FromBuild();
    theReport.itsToBuild = run.ToBuild();
    if (run.GetOutcome() == CUpdateRun::kUpToDate)
        return SayUpToDate(target, theOptions.bQuiet, theReport);
    const int cancelled = CancelledStatus(run);
    PrintResult(run, cancelled != 0, theOptions.bQuiet);
    theReport.itsStatus = CUpdateRun::OutcomeName(run.GetOutcome());
    theReport.itsExitStatus = cancelled != 0 ? cancelled : run.ExitStatus();
    theReport.itsBackup = run.GetBackupPath();
    theReport.itsLog = run.GetLogPath();
    theReport.itsMessage = run.GetMessage();
    theReport.itsOrigin = run.GetOriginNote();
    return theReport.itsExitStatus;
}

} // namespace

int CheckUpdateKit(
    const CUpdateKit& theKit, const CProgramDataReport& theReport, const char* pApplyFolder, bool bJson)
{
    // The report is the program's own, in English; the person reads their language.
    Cstring problem;
    Cstring shown;
    const Cstring dataFile = theKit.DataFile();
    if (!theReport.IsSound()) {
        problem = FormatOwnText(kTextDataFileProblem, dataFile.GetText(), theReport.Problem().GetText());
        shown = FormatText(kTextDataFileProblem, dataFile.GetText(), theReport.ShownProblem().GetText());
    } else if (pApplyFolder && !theKit.HasArchive()) {
        FormatOwnAndShown(problem, shown, kTextNoArchive, theKit.itsFolder.GetText());
    }
    if (problem.IsEmpty())
        return kExitDone;
    std::fprintf(stderr, "patchwell-updater: %s.\n%s", shown.GetText(), TextOf(kTextKitHint).GetText());
    if (bJson && pApplyFolder) {
        ApplyReport report;
        report.itsFolder = AbsoluteFolder(pApplyFolder);
        report.itsExitStatus = kExitRefused;
        report.itsMessage = problem;
        PrintApplyJson(report);
    } else if (bJson) {
        PrintListJson(theKit, nullptr, kExitRefused, problem);
    }
    return kExitRefused;
}

const char* FolderProblem(const char* thePath, Cstring* pShown)
{
    struct stat info;
    int text = 0;
    const char* problem = nullptr;
    if (stat(thePath, &info) != 0) {
        const bool bMissing = errno == ENOENT || errno == ENOTDIR;
        problem = bMissing ? "does not exist" : std::strerror(errno);
        text = bMissing ? kTextDoesNotExist : 0;
    } else if (!S_ISDIR(info.st_mode)) {
        problem = "is not a folder";
        text = kTextIsNotAFolder;
    }
    if (pShown)
        *pShown = text != 0 ? TextOf(text) : Cstring(problem);
    return problem;
}

int ApplyUnattended(const CUpdateKit& theKit, const char* theFolder, const ApplyOptions& theOptions)
{
    PrintRecoveryNotes();
    ApplyReport report;
    report.itsFolder = AbsoluteFolder(theFolder);
    report.itsExitStatus = kExitRefused;
    if (Cstring shownProblem; const char* problem = FolderProblem(theFolder, &shownProblem)) {
        report.itsMessage = FormatOwnText(kTextFolderIs, theFolder, problem);
        std::fprintf(stderr, "patchwell-updater: %s.\n%s\n",
            FormatText(kTextFolderIs, theFolder, shownProblem.GetText()).GetText(),
            TextOf(kTextNameTheCopyFolder).GetText());
        return Finish(report, theOptions);
    }
    const CProgram* copy = FindCopy(report.itsFolder);
    if (!copy) {
        report.itsMessage.Format("No valid Patchwell program found in '%s'", report.itsFolder.GetText());
        std::fprintf(stderr, "%s\n", TextOf(kTextListHint).GetText());
        return Finish(report, theOptions);
    }
    ApplyFound(theKit, *copy, theOptions, report);
    return Finish(report, theOptions);
}

int ListFoundCopies(const CProgramList* pUnknown, const CUpdateKit* pJsonKit)
{
    PrintRecoveryNotes();
    if (pJsonKit) {
        PrintListJson(*pJsonKit, pUnknown, kExitDone, Cstring());
        return kExitDone;
    }
    const bool bUnknown = pUnknown && pUnknown->First();
    if (!FoundPrograms.First() && !bUnknown)
        std::printf("%s\n", FormatText(kTextNoCopiesFound, gApplicationsFolder.GetText()).GetText());
    for (CProgram* found = FoundPrograms.First(); found; found = CProgramList::Next(found)) {
        const CProgram* valid = FindMatchingProgram(ValidPrograms, *found);
        std::printf("%s\n    %s, %s, %s\n", found->itsFolder.GetText(), found->itsName.GetText(),
            found->itsDate.GetText(),
            (valid ? FormatText(kTextMatchesValidBuild, valid->itsDate.GetText())
                   : TextOf(kTextMatchesNoValidBuild))
                .GetText());
    }
    for (CProgram* copy = bUnknown ? pUnknown->First() : nullptr; copy; copy = CProgramList::Next(copy))
        std::printf("%s\n    %s, %s, %s\n", copy->itsFolder.GetText(), copy->itsName.GetText(),
            copy->itsDate.GetText(), TextOf(kTextNotAKnownBuild).GetText());
    return kExitDone;
}
