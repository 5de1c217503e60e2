#include "app/Unattended.h"

#include "engine/Progress.h"
#include "engine/UpdaterGlobals.h"
#include "identification/ProgramList.h"
#include "identification/ProgramMatch.h"
#include "identification/ProgramScanner.h"
#include "platform/MessageBox.h"
#include "ui/Gblwin.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

volatile std::sig_atomic_t gStopRequested = 0;

void OnStopSignal(int)
{
    gStopRequested = 1;
}

// Prints "File 3 of 20, 45%" whenever the counter or the percentage that the
// progress page would show changes: lines a person can follow, not one per block.
class CConsoleProgress {
public:
    class CItemView : public CControlView {
    public:
        CItemView(CConsoleProgress& theOwner, Cstring& theText)
            : itsOwner(theOwner)
            , itsText(theText)
        {
        }
        void ShowText(const Cstring& theText) override
        {
            if (theText == itsText)
                return;
            itsText = theText;
            itsOwner.Print();
        }
        void ShowValue(int32_t) override { }
        void ShowRange(int32_t, int32_t) override { }
        void ShowEnabled(bool) override { }
        void ShowVisible(bool) override { }
        void Redraw() override { }

    private:
        CConsoleProgress& itsOwner;
        Cstring& itsText;
    };

    void Print() const
    {
        if (itsCounter.IsNotEmpty())
            std::fprintf(stderr, "%s, %s\n", itsCounter.GetText(), itsPercent.GetText());
    }

    Cstring itsCounter;
    Cstring itsPercent;
    CItemView itsCounterView { *this, itsCounter };
    CItemView itsPercentView { *this, itsPercent };
};

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

} // namespace

int ApplyUnattended(const char* theFolder)
{
    // Refusals and questions have nobody to answer them: say them and answer
    // the abort question with yes, since only a signal asks it here.
    SetMessageBoxHook([](const char* theText, int theStyle) {
        if (theStyle == kMessageBoxYesNo
            && strcmp(theText, "Are you sure you want to abort the update?") == 0)
            return static_cast<int>(kResultYes);
        std::fprintf(stderr, "%s\n", theText);
        return theStyle == kMessageBoxYesNo ? static_cast<int>(kResultNo) : static_cast<int>(kResultOk);
    });
    gGlobalWin->DoModal();
    if (gGlobalWin->GetCurrentPage() == kPageFailed) {
        PrintItem(kItemMessage);
        return 1;
    }

    const Cstring folder = AbsoluteFolder(theFolder);
    const int known = gGlobalWin->GetFolders().FindNoCase(folder.GetText());
    if (known >= 0) {
        gGlobalWin->SelectFolderRow(known);
    } else if (!gGlobalWin->AddTargetFolderPath(folder)) {
        return 2;
    }

    CConsoleProgress progress;
    gGlobalWin->FindEntry(kItemCounter)->itsView = &progress.itsCounterView;
    gGlobalWin->FindEntry(kItemPercent)->itsView = &progress.itsPercentView;
    SetUserCancelHook([] { return gStopRequested != 0; });
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);

    std::fprintf(stderr, "Updating %s\n", gGlobalWin->GetTargetFolder().GetText());
    gGlobalWin->RunUpdate();

    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    SetUserCancelHook(nullptr);
    gGlobalWin->FindEntry(kItemCounter)->itsView = nullptr;
    gGlobalWin->FindEntry(kItemPercent)->itsView = nullptr;

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
    return bDone ? 0 : 1;
}

int ListFoundCopies()
{
    if (!FoundPrograms.First())
        std::printf("No copies of Patchwell were found in %s.\n", gApplicationsFolder.GetText());
    for (CProgram* found = FoundPrograms.First(); found; found = CProgramList::Next(found)) {
        const CProgram* valid = FindMatchingProgram(ValidPrograms, *found);
        std::printf("%s\n    %s, %s, %s%s\n", found->itsFolder.GetText(), found->itsName.GetText(),
            found->itsDate.GetText(), valid ? "matches the valid build of " : "matches no valid build",
            valid ? valid->itsDate.GetText() : "");
    }
    return 0;
}
