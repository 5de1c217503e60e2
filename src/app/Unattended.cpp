#include "app/Unattended.h"

#include "app/ConsoleObserver.h"
#include "engine/BuildCheck.h"
#include "engine/UpToDate.h"
#include "engine/UpdateKit.h"
#include "engine/UpdateRecovery.h"
#include "engine/UpdateRun.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramData.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"
#include "identification/ProgramScanner.h"

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
    CConsoleObserver::RequestStop();
}

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

const char kKitHint[]
    = "Run the updater from the folder of a complete update kit (patchwell-updater, the .zip archive,\n"
      "data.txt and readme.txt), or name that folder with --bundle DIR.\n";

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
        std::fprintf(stderr, "No valid Patchwell program found in\n'%s'\n", theFolder.GetText());
        return nullptr;
    }
    return FindProgramByFolder(FoundPrograms, theFolder.GetText());
}

int SayUpToDate(const Cstring& theFolder)
{
    std::fprintf(stderr,
        "The copy in %s is already up to date; nothing was changed.\n"
        "Use --force to install the update again.\n",
        theFolder.GetText());
    return kExitDone;
}

void PrintResult(const CUpdateRun& theRun)
{
    const bool bDone = theRun.GetOutcome() == CUpdateRun::kDone;
    std::fprintf(stderr, bDone ? "The update is done.\n" : "The update failed.\n");
    PrintLine(theRun.GetMessage());
    PrintLine(theRun.GetStatus());
    if (!bDone)
        PrintLine(theRun.DescribeResult());
    else if (theRun.GetBackupPath().IsNotEmpty())
        std::fprintf(
            stderr, "Log: %s\nBackup: %s\n", theRun.GetLogPath().GetText(), theRun.GetBackupPath().GetText());
    else
        std::fprintf(stderr, "Log: %s\n", theRun.GetLogPath().GetText());
    PrintLine(theRun.GetOriginNote());
}

} // namespace

int CheckUpdateKit(const CUpdateKit& theKit, const CProgramDataReport& theReport, bool bNeedArchive)
{
    const Cstring dataPath = theKit.DataFile();
    if (!theReport.IsSound()) {
        std::fprintf(stderr, "patchwell-updater: the update kit's data file '%s' %s.\n%s", dataPath.GetText(),
            theReport.Problem().GetText(), kKitHint);
        return kExitRefused;
    }
    if (bNeedArchive && !theKit.HasArchive()) {
        std::fprintf(stderr, "patchwell-updater: no update archive (.zip file) was found in '%s'.\n%s",
            theKit.itsFolder.GetText(), kKitHint);
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

int ApplyUnattended(const CUpdateKit& theKit, const char* theFolder, const ApplyOptions& theOptions)
{
    PrintRecoveryNotes();
    if (const char* problem = FolderProblem(theFolder)) {
        std::fprintf(stderr,
            "patchwell-updater: the folder '%s' %s.\n"
            "Name the folder that holds the installed copy; --list shows the copies found.\n",
            theFolder, problem);
        return kExitRefused;
    }
    const CProgram* copy = FindCopy(AbsoluteFolder(theFolder));
    if (!copy) {
        std::fprintf(stderr, "--list shows the copies found and whether each is a known build.\n");
        return kExitRefused;
    }
    const Cstring target = copy->itsFolder;
    if (!theOptions.bForce && IsAlreadyInstalled(theKit.itsArchive.GetText(), target.GetText()))
        return SayUpToDate(target);

    CConsoleObserver observer(stderr, theOptions.bLogLines);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    std::fprintf(stderr, "Updating %s\n", target.GetText());
    CUpdateRun run(target, observer);
    run.SetKit(theKit);
    run.SetTrust(theOptions.itsTrust);
    run.SetBuilds(LatestProgramDate(ValidPrograms), NewestValidBuild(ValidPrograms),
        FindMatchingProgram(ValidPrograms, *copy));
    // Asked again under the folder's lock: another run may have finished
    // the same update since.
    run.LeaveUpToDateCopy(!theOptions.bForce);
    if (run.OpenLog())
        run.Apply();
    observer.Finish();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (run.GetOutcome() == CUpdateRun::kUpToDate)
        return SayUpToDate(target);
    PrintResult(run);
    return run.ExitStatus();
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
