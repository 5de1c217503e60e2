// The main window and start-up's check of the installed copies, which may
// still run while the first page is shown.

#include "engine/CopyCheck.h"
#include "engine/UpdaterGlobals.h"
#include "platform/Host.h"
#include "ui/Gblwin.h"

namespace {

const int kCursorArrow = 128;
const int kCursorBusy = 129;
const int kTextCheckingCopies = 10203;

} // namespace

bool CGlobalWin::IsCheckingCopies() const
{
    return StartupCopyCheck().IsStarted();
}

void CGlobalWin::WaitForCheckedCopies()
{
    bNextWhenChecked = true;
    SetItemText(kItemInitBlank, Cstring(kTextCheckingCopies).GetText());
    EnableItem(kItemNext, false);
    Host().SetCursor(kCursorBusy);
}

void CGlobalWin::TakeCheckedCopies()
{
    // Taken once: when the window opens after the check ended, the message
    // that says so finds nothing left.
    if (!IsCheckingCopies() || !StartupCopyCheck().TakeResults(FoundPrograms, nullptr))
        return;
    if (!itsFolderList)
        return; // the window is not made yet: InitDialog lists them
    CollectTargetFolders();
    RebuildFolderRows();
    if (!bNextWhenChecked)
        return;
    bNextWhenChecked = false;
    SetItemText(kItemInitBlank, " ");
    Host().SetCursor(kCursorArrow);
    if (itsCurrentPage == kPageWelcome)
        SelectTabPage(kPageFolder);
}
