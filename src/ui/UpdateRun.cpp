#include "engine/UpdatePreflight.h"
#include "engine/UpdateSteps.h"
#include "engine/UpdaterGlobals.h"
#include "engine/ZipExtractor.h"
#include "identification/ProgramList.h"
#include "platform/SystemServices.h"
#include "ui/Gblwin.h"

#include <cstdio>

void CGlobalWin::RunUpdate()
{
    itsLogPath = Cstring::Path(itsTargetFolder, "Updater Log File.txt");
    itsBackupPath = "";
    FILE* log = std::fopen(itsLogPath.GetText(), "w");
    if (!log) {
        itsLogPath = "";
        SetItemText(kItemMessage, "Failed to create updater log file");
        SelectTabPage(kPageFailed);
        return;
    }
    // Line by line, so that a crash or a kill leaves a log that says how far
    // the run came.
    setvbuf(log, nullptr, _IOLBF, 0);
    const Cstring dateText = LatestProgramDate(ValidPrograms);

    SelectTabPage(kPageProgress);
    EnableItem(kItemNext, false);
    EnableItem(kItemBack, false);
    SetItemText(kItemPercent, "0%");
    SetItemText(kItemTargetFolder, itsTargetFolder.GetText());
    SetItemText(kItemRunBlank, " ");

    CZipExtractor extractor;
    extractor.SetLogFile(log);
    extractor.AddNameMapping("NewFiles/", "", nullptr);
    extractor.SetWindow(this);
    extractor.SetProgressItems(kItemProgressBar, kItemPercent, nullptr);
    extractor.SetCounterItem(kItemCounter, "File %d of %d");
    extractor.SetNameItem(kItemEntryName);
    SetItemText(kItemEntryName, "");
    SetItemRange(kItemProgressBar, 0, 100);
    FlushDrawing();

    const Cstring password(gDataKeyText);
    int resultPage = kPageDone;
    Cstring message;

    // Nothing in the installation is touched before the archive is known to be
    // good: a bad archive found after the backup would leave no application.
    if (PreflightUpdate(gZipPath.GetText(), password.GetText(), itsTargetFolder.GetText(), message, log)) {
        resultPage = ApplyUpdate(extractor, log, password, dateText, message);
    } else {
        resultPage = kPageFailed;
    }

    SetItemText(kItemMessage, message.GetText());
    if (resultPage == kPageFailed)
        SetItemText(kItemWhereThingsAre, WhereThingsAreText().GetText());
    SelectTabPage(resultPage);
    std::fclose(log);
}

// Steps 8 on: the old-style rename, the backup, the extraction and the date.
int CGlobalWin::ApplyUpdate(CZipExtractor& theExtractor, FILE* theLog, const Cstring& thePassword,
    const Cstring& theDateText, Cstring& theMessage)
{
    int resultPage = kPageDone;
    const Cstring bundlePath = Cstring::Path(itsTargetFolder, "Patchwell 5.app");
    const Cstring powerPcPath = Cstring::Path(itsTargetFolder, "Patchwell PPC");
    const Cstring oldProgramPath = Cstring::Path(itsTargetFolder, "Patchwell");

    if (FileExists(oldProgramPath.GetText()) && !FileExists(powerPcPath.GetText()))
        std::rename(oldProgramPath.GetText(), powerPcPath.GetText());

    if (FileExists(bundlePath.GetText())) {
        for (int attempt = 0; attempt < 25; ++attempt) {
            if (BackupFile(bundlePath.GetText(), theLog, &itsBackupPath) == 1)
                break;
        }
    }

    theExtractor.SetPassword(thePassword.GetText());
    theExtractor.SetOverwriteMode(2);
    theExtractor.SetDestination(itsTargetFolder.GetText());
    SetItemText(kItemStatus, " ");

    if (theExtractor.Open(gZipPath.GetText())) {
        std::fprintf(theLog, "Opening update zip file - %s succeeded\n", gZipPath.GetText());
        if (theExtractor.ExtractFiles() == 1) {
            if (theExtractor.GetFilesDone() != theExtractor.GetFileCount()) {
                theMessage.Format("One or more files were skipped, %d of %d processed",
                    static_cast<int>(theExtractor.GetFilesDone()),
                    static_cast<int>(theExtractor.GetFileCount()));
                SetItemText(kItemStatus, theMessage.GetText());
            }
        } else {
            theMessage = theExtractor.GetLastError();
            resultPage = kPageFailed;
        }
        // Without valid builds there is no date to give the bundle.
        if (theDateText.IsNotEmpty()) {
            SetFileTimestamp(bundlePath.GetText(), theDateText.GetText());
            std::fprintf(theLog, "%s timestamp set to %s \n", bundlePath.GetText(), theDateText.GetText());
        }
        theExtractor.Close();
    } else {
        std::fprintf(theLog, "Opening update zip file - %s failed\n", gZipPath.GetText());
        theMessage = theExtractor.GetLastError();
        resultPage = kPageFailed;
    }
    return resultPage;
}

Cstring CGlobalWin::WhereThingsAreText() const
{
    Cstring text;
    if (itsLogPath.IsNotEmpty())
        text.Format("The log of this update is in \"%s\".", itsLogPath.GetText());
    if (itsBackupPath.IsNotEmpty()) {
        Cstring backup;
        backup.Format("\nYour previous copy of the program was kept as \"%s\".", itsBackupPath.GetText());
        text.Append(backup.GetText());
    }
    return text;
}
