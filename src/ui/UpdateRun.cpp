#include "engine/UpdateRun.h"
#include "engine/BuildCheck.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"
#include "ui/Gblwin.h"

void CGlobalWin::RunUpdate()
{
    itsLogPath = "";
    itsBackupPath = "";
    bRestored = false;
    bUnrestored = false;
    CUpdateRun run(itsTargetFolder);
    if (!run.OpenLog()) {
        SetItemText(kItemMessage, run.GetMessage().GetText());
        SelectTabPage(kPageFailed);
        return;
    }
    itsLogPath = run.GetLogPath();

    SelectTabPage(kPageProgress);
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
    run.SetArchive(gZipPath, gDataKeyText);
    const bool bDone = run.Apply();

    itsBackupPath = run.GetBackupPath();
    bRestored = run.WasRestored();
    bUnrestored = run.IsLeftUnrestored();
    SetItemText(kItemMessage, run.GetMessage().GetText());
    if (run.GetStatus().IsNotEmpty())
        SetItemText(kItemStatus, run.GetStatus().GetText());
    if (!bDone)
        SetItemText(kItemWhereThingsAre, WhereThingsAreText().GetText());
    SelectTabPage(bDone ? kPageDone : kPageFailed);
}

Cstring CGlobalWin::WhereThingsAreText() const
{
    Cstring text;
    if (itsLogPath.IsNotEmpty())
        text.Format("The log of this update is in \"%s\".", itsLogPath.GetText());
    if (bRestored)
        text.Append("\nThe previous version of the program was restored.");
    else if (bUnrestored)
        text.Append("\nThe previous version could not be restored completely; start the updater again to "
                    "finish restoring it.");
    else if (itsLogPath.IsNotEmpty())
        text.Append("\nNothing in the installation was changed.");
    if (itsBackupPath.IsNotEmpty()) {
        Cstring backup;
        backup.Format("\nYour previous copy of the program was kept as \"%s\".", itsBackupPath.GetText());
        text.Append(backup.GetText());
    }
    return text;
}
