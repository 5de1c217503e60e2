#include "engine/UpdateRun.h"
#include "engine/BuildCheck.h"
#include "engine/Progress.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"
#include "platform/Host.h"
#include "ui/Gblwin.h"
#include "ui/WizardObserver.h"

namespace {

const int kCursorArrow = 128;
const int kCursorBusy = 129;

} // namespace

void CGlobalWin::RunUpdate()
{
    itsLogPath = "";
    itsBackupPath = "";
    CWizardObserver observer(*this);
    CUpdateRun run(itsTargetFolder, observer);
    run.SetKit(itsKit);
    run.SetTrust(itsTrust);
    // The build installed now, and the one the update must bring.
    const CProgram* found = FindProgramByFolder(FoundPrograms, itsTargetFolder.GetText());
    run.SetBuilds(LatestProgramDate(ValidPrograms), NewestValidBuild(ValidPrograms),
        found ? FindMatchingProgram(ValidPrograms, *found) : nullptr);
    if (!run.OpenLog()) {
        ShowResult(run);
        return;
    }
    itsLogPath = run.GetLogPath();

    SelectTabPage(kPageProgress);
    // Only the run's cancel poll hears the user from here to the result page.
    bRunning = true;
    Host().SetCursor(kCursorBusy);
    EnableItem(kItemNext, false);
    EnableItem(kItemBack, false);
    SetItemText(kItemPercent, "0%");
    SetItemText(kItemTargetFolder, itsTargetFolder.GetText());
    SetItemText(kItemRunBlank, " ");
    SetItemText(kItemEntryName, "");
    SetItemRange(kItemProgressBar, 0, 100);
    SetItemText(kItemStatus, " ");
    FlushDrawing();

    run.Apply();
    bRunning = false;
    Host().SetCursor(kCursorArrow);
    ShowResult(run);
}

void CGlobalWin::ShowResult(const CUpdateRun& theRun)
{
    itsExitStatus = theRun.ExitStatus();
    itsBackupPath = theRun.GetBackupPath();
    SetItemText(kItemMessage, theRun.GetShownMessage().GetText());
    if (theRun.GetStatus().IsNotEmpty())
        SetItemText(kItemStatus, theRun.GetStatus().GetText());
    SetItemText(kItemWhereThingsAre, theRun.DescribeResult().GetText());
    SelectTabPage(theRun.GetOutcome() == CUpdateRun::kDone ? kPageDone : kPageFailed);
}
