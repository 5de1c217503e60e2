#include "ui/Gblwin.h"

#include "engine/EngineTexts.h"
#include "engine/KitOrigin.h"
#include "engine/UnpackedKit.h"
#include "engine/UpdateRecovery.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/Profile.h"
#include "foundation/RegularFile.h"
#include "identification/ProgramList.h"
#include "identification/ProgramScanner.h"
#include "platform/ChooseFolder.h"
#include "platform/Framework.h"
#include "platform/MenuBar.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "platform/TextFormat.h"
#include "ui/Splash.h"
#include "ui/WindowTexts.h"
#include "ui/mhelpfunc.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

bool bGlobalClosed = false;

namespace {

const int kPageCount = 6; // the welcome page to the failed page; the kit page comes after them
const int kTextCloseButton = 10013; // the Cancel button's title once the update is done

// What a screen reader calls the controls that no text beside them names well:
// each by its role on its page.
struct ItemName {
    int itsItem;
    int itsText;
};
const ItemName kItemNames[] = { { kItemReadme, 10200 }, { kItemProgressBar, 10201 },
    { kItemFolderList, 10202 }, { kItemOpenKit, 10204 } };

} // namespace

Cstring ReadTextFile(const char* thePath)
{
    Cstring text;
    text.Reserve(2048);
    int error = 0;
    FILE* file = OpenRegularFile(thePath, "r", error);
    if (!file)
        return text;
    char line[1024];
    while (std::fgets(line, sizeof line, file))
        text.Append(line);
    std::fclose(file);
    return text;
}

CGlobalWin::CGlobalWin(const CUpdateKit& theKit)
    : CModelessDialog(150)
    , itsKit(theKit)
{
}

CGlobalWin::~CGlobalWin()
{
    // The window's toolkit part outlives this object's members.
    SetMenuBar(nullptr);
}

void CGlobalWin::InitDialog()
{
    CModelessDialog::InitDialog();
    for (int i = 0; i < kPageCount; ++i)
        AddTabPage(kPageWelcome + i);
    AddTabPage(kPageKit);
    // Folder paths and the run's messages are never labels: "Tom & Jerry" keeps its ampersand.
    for (int item : { kItemMessage, kItemWhereThingsAre, kItemConfirmation, kItemTargetFolder, kItemEntryName,
             kItemStatus, kItemNoKitFolder })
        ShowItemTextAsIs(item);
    itsFolderList = std::make_unique<CListView>(*this, kItemFolderList);
    itsFolderList->Show(true);
    itsFolderList->Show(false);
    for (const ItemName& name : kItemNames)
        SetItemAccessibleName(name.itsItem, Cstring(name.itsText));

    // The folder list exists now; the kit page's text is the template for
    // every folder found without a kit.
    ShowKit();
    SetCancelItem(kItemCancel);
}

void CGlobalWin::SelectTabPage(int thePage)
{
    if (thePage != kPageFolder)
        itsFolderList->Show(false);
    CModelessDialog::SelectTabPage(thePage);

    bool bNext = true;
    bool bBack = true;
    bool bCancel = true;
    switch (thePage) {
    case kPageWelcome:
        bBack = false;
        bNext = !bNextWhenChecked;
        break;
    case kPageFolder:
        itsFolderList->Show(true);
        RedrawItem(kItemFolderList);
        bNext = itsFolderList->GetSelectedID() != 0;
        break;
    case kPageConfirm: {
        itsChosenFolder = SelectedFolder();
        // The item list's text is the template on every visit, so the page
        // always names the folder selected now.
        Cstring confirmation = GetItemText(kItemConfirmation);
        confirmation.Replace("%BLOCKNAME%", itsBlockName.GetText());
        confirmation.Replace("%DIRNAME%", itsChosenFolder.GetText());
        // Said before the run starts: nothing will tell whose kit this is.
        std::vector<Ed25519Key> keys;
        std::string problem;
        if (TrustedKeysFor(itsChosenFolder.GetText(), itsTrust, keys, problem) && keys.empty())
            confirmation.Append(
                Cstring("\r\r", TextOf(kTextUncheckedOrigin).GetText()).Append(".").GetText());
        SetItemText(kItemConfirmation, confirmation.GetText());
        break;
    }
    case kPageDone:
        bNext = bBack = false;
        break;
    case kPageFailed:
        bNext = bBack = bCancel = false;
        break;
    case kPageKit:
        bNext = bBack = false;
        break;
    default:
        break;
    }
    EnableItem(kItemCancel, bCancel);
    EnableItem(kItemBack, bBack);
    EnableItem(kItemNext, bNext);
    // Return goes where the page leads: on, to the kit, or out once the update is done.
    SetDefaultItem(thePage == kPageDone ? kItemCancel
            : thePage == kPageKit       ? kItemOpenKit
            : thePage <= kPageConfirm   ? kItemNext
                                        : 0);
    // The outcome and where to find the log and the backup belong to the
    // result pages; once the update is done, nothing is left to cancel.
    const bool bResult = thePage == kPageDone || thePage == kPageFailed;
    ShowItem(kItemMessage, bResult);
    ShowItem(kItemWhereThingsAre, bResult);
    SetItemText(
        kItemCancel, (thePage == kPageDone ? TextOf(kTextCloseButton) : GetItemText(kItemCancel)).GetText());
}

void CGlobalWin::DoCommand(int theCommand, int, long)
{
    if (bRunning)
        return;
    switch (theCommand) {
    case kItemNext:
        if (itsCurrentPage == kPageWelcome && IsCheckingCopies())
            WaitForCheckedCopies();
        else if (itsCurrentPage == kPageWelcome)
            SelectTabPage(kPageFolder);
        else if (itsCurrentPage == kPageFolder)
            SelectTabPage(kPageConfirm);
        else if (itsCurrentPage == kPageConfirm)
            RunUpdate();
        break;
    case kItemBack:
        if (itsCurrentPage == kPageFolder)
            SelectTabPage(kPageWelcome);
        else if (itsCurrentPage == kPageConfirm)
            SelectTabPage(kPageFolder);
        break;
    case kItemFolderList:
        FolderSelectionChanged();
        break;
    case kItemAdd:
        AddTargetFolder();
        break;
    case kItemOpenKit:
        // Once an update has run, its result stays on the window.
        if (itsCurrentPage <= kPageConfirm || itsCurrentPage == kPageKit)
            OpenKitRequest();
        break;
    case static_cast<int>(FourCharCode("opnk")):
        // From the loop, not inside the menu's shortcut: Qt hands the
        // Return that closes the chooser on to this window as well, where
        // it would press Next on the page that the new kit opens.
        PostWindowMessage(this, kMsgDeferredCommand, kItemOpenKit, 0);
        break;
    case kCommandSplashDone:
        CloseSplash();
        break;
    case 1:
    case kItemCancel:
    case 102:
    case static_cast<int>(FourCharCode("not!")): // the host's cancel command
        ExitRequest();
        break;
    case static_cast<int>(FourCharCode("help")):
        ShowHelpIndex();
        break;
    case static_cast<int>(FourCharCode("prnt")):
        PrintDocument();
        break;
    default:
        break;
    }
}

void CGlobalWin::ExitRequest()
{
    // Nothing has begun on the kit page either.
    if (itsCurrentPage == kPageDone || itsCurrentPage == kPageFailed || itsCurrentPage == kPageKit) {
        Close();
        return;
    }
    if (MessageBox(TextOf(kTextExitQuestion).GetText(), kMessageBoxYesNo) == kResultYes)
        Close();
}

void CGlobalWin::CollectTargetFolders()
{
    for (CProgram* program = FoundPrograms.First(); program; program = CProgramList::Next(program)) {
        const Cstring& folder = program->itsFolder;
        if (FileExists(folder.GetText()) && itsFolders.FindNoCase(folder.GetText()) < 0)
            itsFolders.Add(folder);
    }
}

void CGlobalWin::RebuildFolderRows()
{
    itsFolderList->RemoveAll();
    for (int i = 0; i < itsFolders.GetCount(); ++i)
        itsFolderList->AddItem(0, itsFolders.At(i).GetText());
}

void CGlobalWin::AddTargetFolder()
{
    Cstring folder(BaseProgramPath);
    if (ChooseFolder(Cstring(10107).GetText(), folder) != 1)
        return;
    AddTargetFolderPath(folder);
}

int CGlobalWin::AddTargetFolderPath(const Cstring& thePath)
{
    if (!std::strchr(thePath.GetText(), '/')) {
        MessageBox(TextOf(kTextNotAValidPath).GetText(), kMessageBoxOk);
        return 0;
    }
    if (FindProgramByFolder(FoundPrograms, thePath.GetText())) {
        MessageBox(FormatText(kTextAlreadyInList, thePath.GetText()).GetText(), kMessageBoxOk);
        return 0;
    }
    // A copy whose update was killed is put back first, so it can be found.
    if (Cstring note; RecoverInterruptedUpdate(thePath.GetText(), note))
        MessageBox(note.GetText(), kMessageBoxOk);
    if (ProcessDirectory(FoundPrograms, thePath.GetText(), gValidProgramNames, &ValidPrograms) == 0) {
        MessageBox(FormatText(kTextNoValidProgramIn, thePath.GetText()).GetText(), kMessageBoxOk);
        return 0;
    }
    itsFolders.Add(thePath);
    RebuildFolderRows();
    for (int row = 0; row < itsFolderList->RowCount(); ++row) {
        if (strcasecmp(itsFolderList->ItemAtRow(row)->itsText.GetText(), thePath.GetText()) == 0) {
            itsFolderList->SelectItem(itsFolderList->ItemAtRow(row)->itsId, 1);
            itsTargetFolder = itsFolders.At(row);
            break;
        }
    }
    EnableItem(kItemNext, itsFolderList->GetSelectedID() != 0);
    return 1;
}

void CGlobalWin::SelectFolderRow(int theRow)
{
    if (itsFolderList->GetSelectedID() != 0)
        itsFolderList->SelectItem(itsFolderList->GetSelectedID(), 0);
    if (const CListViewItem* row = itsFolderList->ItemAtRow(theRow))
        itsFolderList->SelectItem(row->itsId, 1);
    FolderSelectionChanged();
}

void CGlobalWin::FolderSelectionChanged()
{
    itsTargetFolder = SelectedFolder();
    EnableItem(kItemNext, itsFolderList->GetSelectedID() != 0);
}

Cstring CGlobalWin::SelectedFolder() const
{
    return itsFolderList->GetItemText(itsFolderList->GetSelectedID());
}
