#include "engine/UpdateRun.h"
#include "engine/BuildCheck.h"
#include "engine/Progress.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"
#include "platform/Host.h"
#include "ui/Gblwin.h"

namespace {

const int kCursorArrow = 128;
const int kCursorBusy = 129;

} // namespace

void CGlobalWin::RunUpdate()
{
    itsLogPath = "";
    itsBackupPath = "";
    bRestored = false;
    bUnrestored = false;
    itsExitStatus = kExitDone;
    bUpToDate = false;
    CUpdateRun run(itsTargetFolder);
    run.SetArchive(gZipPath, gDataKeyText);
    run.LeaveUpToDateCopy(bLeaveUpToDate);
    if (!run.OpenLog()) {
        bUpToDate = run.WasUpToDate();
        itsExitStatus = bUpToDate ? kExitDone : kExitRefused;
        SetItemText(kItemMessage, run.GetMessage().GetText());
        SelectTabPage(kPageFailed);
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

    CZipExtractor& extractor = run.Extractor();
    extractor.SetWindow(this);
    extractor.SetProgressItems(kItemProgressBar, kItemPercent, nullptr);
    extractor.SetCounterItem(kItemCounter, "File %d of %d");
    extractor.SetNameItem(kItemEntryName);
    SetItemText(kItemEntryName, "");
    SetItemRange(kItemProgressBar, 0, 100);
    SetItemText(kItemStatus, " ");
    FlushDrawing();

    // The build installed now, and the one the update must bring.
    const CProgram* found = FindProgramByFolder(FoundPrograms, itsTargetFolder.GetText());
    run.SetBuilds(LatestProgramDate(ValidPrograms), NewestValidBuild(ValidPrograms),
        found ? FindMatchingProgram(ValidPrograms, *found) : nullptr);
    const bool bDone = run.Apply();
    bRunning = false;
    Host().SetCursor(kCursorArrow);

    itsBackupPath = run.GetBackupPath();
    bRestored = run.WasRestored();
    bUnrestored = run.IsLeftUnrestored();
    // A run that failed before it changed anything was refused, whatever
    // refused it; one the user stopped was not.
    if (!bDone)
        itsExitStatus = bRestored || bUnrestored || gAbortUpdate ? kExitFailed : kExitRefused;
    SetItemText(kItemMessage, run.GetMessage().GetText());
    if (run.GetStatus().IsNotEmpty())
        SetItemText(kItemStatus, run.GetStatus().GetText());
    SetItemText(kItemWhereThingsAre, WhereThingsAreText(bDone).GetText());
    SelectTabPage(bDone ? kPageDone : kPageFailed);
}

Cstring CGlobalWin::WhereThingsAreText(bool bDone) const
{
    Cstring text;
    Cstring line;
    if (bDone)
        text.Append(line.Format("Updated folder: \"%s\"\n", itsTargetFolder.GetText()).GetText());
    if (itsLogPath.IsNotEmpty())
        text.Append(line.Format("The log of this update is in \"%s\".", itsLogPath.GetText()).GetText());
    if (bDone) {
        // Nothing to say about the installation beyond the backup below.
    } else if (bRestored) {
        text.Append("\nThe previous version of the program was restored.");
    } else if (bUnrestored) {
        text.Append("\nThe previous version could not be restored completely; start the updater again to "
                    "finish restoring it.");
    } else if (itsLogPath.IsNotEmpty()) {
        text.Append("\nNothing in the installation was changed.");
    }
    if (itsBackupPath.IsNotEmpty())
        text.Append(
            line.Format("\nYour previous copy of the program was kept as \"%s\".", itsBackupPath.GetText())
                .GetText());
    return text;
}
