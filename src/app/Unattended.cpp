#include "app/Unattended.h"

#include "app/ConsoleProgress.h"
#include "engine/Progress.h"
#include "engine/UpToDate.h"
#include "engine/UpdateRecovery.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramData.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"
#include "identification/ProgramScanner.h"
#include "platform/ConsoleHost.h"
#include "ui/Gblwin.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

namespace {

void OnStopSignal(int)
{
    CConsoleHost::RequestStop();
}

void PrintItem(int theItemId)
{
    const ControlEntry* entry = gGlobalWin->FindEntry(theItemId);
    if (entry && entry->itsText.IsNotEmpty() && strcmp(entry->itsText.GetText(), " ") != 0)
        std::fprintf(stderr, "%s\n", entry->itsText.GetText());
}

Cstring AbsoluteFolder(const char* theFolder)
{
    char* resolved = realpath(theFolder, nullptr);
    Cstring folder(resolved ? resolved : theFolder);
    std::free(resolved);
    folder.TrimTrailing('/');
    return folder;
}

const char kKitHint[]
    = "Run the updater from the folder of a complete update kit (patchwell-updater, the .zip archive,\n"
      "data.txt and readme.txt), or name that folder with --bundle DIR.\n";

void PrintRecoveryNotes()
{
    for (int i = 0; i < gRecoveryNotes.GetCount(); ++i)
        std::fprintf(stderr, "%s\n", gRecoveryNotes.At(i).GetText());
}

} // namespace

int CheckUpdateKit(const CProgramDataReport& theReport, bool bNeedArchive)
{
    const Cstring dataPath = Cstring::Path(gAppBundlePath, "data.txt");
    if (!theReport.IsSound()) {
        std::fprintf(stderr, "patchwell-updater: the update kit's data file '%s' %s.\n%s", dataPath.GetText(),
            theReport.Problem().GetText(), kKitHint);
        return kExitRefused;
    }
    if (bNeedArchive && gZipPath.IsEmpty()) {
        std::fprintf(stderr, "patchwell-updater: no update archive (.zip file) was found in '%s'.\n%s",
            gAppBundlePath.GetText(), kKitHint);
        return kExitRefused;
    }
    return kExitDone;
}

const char* FolderProblem(const char* thePath)
{
    struct stat info;
    if (stat(thePath, &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "does not exist" : std::strerror(errno);
    return S_ISDIR(info.st_mode) ? nullptr : "is not a folder";
}

int ApplyUnattended(const char* theFolder, bool bForce)
{
    PrintRecoveryNotes();
    if (const char* problem = FolderProblem(theFolder)) {
        std::fprintf(stderr,
            "patchwell-updater: the folder '%s' %s.\n"
            "Name the folder that holds the installed copy; --list shows the copies found.\n",
            theFolder, problem);
        return kExitRefused;
    }

    // The console host says refusals on standard error; only a stop signal
    // asks the abort question here, and the host answers it with yes.
    gGlobalWin->DoModal();
    if (gGlobalWin->GetCurrentPage() == kPageFailed) {
        PrintItem(kItemMessage);
        return kExitRefused;
    }

    const Cstring folder = AbsoluteFolder(theFolder);
    const int known = gGlobalWin->GetFolders().FindNoCase(folder.GetText());
    if (known >= 0) {
        gGlobalWin->SelectFolderRow(known);
    } else if (!gGlobalWin->AddTargetFolderPath(folder)) {
        std::fprintf(stderr, "--list shows the copies found and whether each is a known build.\n");
        return kExitRefused;
    }
    if (!bForce && IsAlreadyInstalled(gZipPath.GetText(), gGlobalWin->GetTargetFolder().GetText())) {
        std::fprintf(stderr,
            "The copy in %s is already up to date; nothing was changed.\n"
            "Use --force to install the update again.\n",
            gGlobalWin->GetTargetFolder().GetText());
        return kExitDone;
    }

    CConsoleProgress progress(stderr);
    gGlobalWin->FindEntry(kItemCounter)->itsView = &progress.CounterView();
    gGlobalWin->FindEntry(kItemPercent)->itsView = &progress.PercentView();
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);

    std::fprintf(stderr, "Updating %s\n", gGlobalWin->GetTargetFolder().GetText());
    // Asked again under the folder's lock: another run may have finished
    // the same update since.
    gGlobalWin->LeaveUpToDateCopy(!bForce);
    gGlobalWin->RunUpdate();
    gGlobalWin->LeaveUpToDateCopy(false);
    progress.Finish();

    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    gGlobalWin->FindEntry(kItemCounter)->itsView = nullptr;
    gGlobalWin->FindEntry(kItemPercent)->itsView = nullptr;

    if (gGlobalWin->WasUpToDate()) {
        PrintItem(kItemMessage);
        return kExitDone;
    }
    const bool bDone = gGlobalWin->GetCurrentPage() == kPageDone;
    std::fprintf(stderr, bDone ? "The update is done.\n" : "The update failed.\n");
    PrintItem(kItemMessage);
    PrintItem(kItemStatus);
    if (!bDone)
        PrintItem(kItemWhereThingsAre);
    else if (gGlobalWin->GetBackupPath().IsNotEmpty())
        std::fprintf(stderr, "Log: %s\nBackup: %s\n", gGlobalWin->GetLogPath().GetText(),
            gGlobalWin->GetBackupPath().GetText());
    else
        std::fprintf(stderr, "Log: %s\n", gGlobalWin->GetLogPath().GetText());
    return gGlobalWin->GetExitStatus();
}

int ListFoundCopies(const CProgramList* pUnknown)
{
    PrintRecoveryNotes();
    const bool bUnknown = pUnknown && pUnknown->First();
    if (!FoundPrograms.First() && !bUnknown)
        std::printf("No copies of Patchwell were found in %s.\n", gApplicationsFolder.GetText());
    for (CProgram* found = FoundPrograms.First(); found; found = CProgramList::Next(found)) {
        const CProgram* valid = FindMatchingProgram(ValidPrograms, *found);
        std::printf("%s\n    %s, %s, %s%s\n", found->itsFolder.GetText(), found->itsName.GetText(),
            found->itsDate.GetText(), valid ? "matches the valid build of " : "matches no valid build",
            valid ? valid->itsDate.GetText() : "");
    }
    for (CProgram* copy = bUnknown ? pUnknown->First() : nullptr; copy; copy = CProgramList::Next(copy))
        std::printf("%s\n    %s, %s, not a known build: its program differs from every valid build\n",
            copy->itsFolder.GetText(), copy->itsName.GetText(), copy->itsDate.GetText());
    return kExitDone;
}
