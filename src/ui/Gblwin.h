#pragma once

#include "engine/ExitStatus.h"
#include "engine/KitTrust.h"
#include "engine/UpdateKit.h"
#include "foundation/Arrays.h"
#include "platform/ListView.h"
#include "platform/mdialog.h"

#include <memory>

#include <cstdio>
#include <memory>

// Item IDs of dialog 150 that the updater's own code uses.
enum GlobalWinItem {
    kItemCancel = 2,
    kItemBack = 100,
    kItemNext = 101,
    kItemPercent = 125,
    kItemMessage = 127,
    kItemFolderList = 137,
    kItemTargetFolder = 141,
    kItemCounter = 143,
    kItemRunBlank = 147,
    kItemReadme = 157,
    kItemInitBlank = 162,
    kItemInstallName = 163,
    kItemProgressBar = 169,
    kItemConfirmation = 174,
    kItemAdd = 175,
    kItemStatus = 177,
    kItemEntryName = 178,
    kItemWhereThingsAre = 190,
    kItemOpenKit = 196,
    kItemNoKitFolder = 197, // "%DIRNAME%": the folder where no kit was found
};

// Posted to the main window from the thread of the check of the copies when
// it is done.
const int kMsgCopiesChecked = 121;

// The wizard's pages, by the item list that forms each.
enum GlobalWinPage {
    kPageWelcome = 152,
    kPageFolder = 153,
    kPageConfirm = 154,
    kPageProgress = 155,
    kPageDone = 156,
    kPageFailed = 157,
    kPageKit = 158, // asks for a kit when none was found
};

// The main updater window: a six-page wizard over dialog 150. It owns the
// folder list and the candidate folders, and runs the update on the target.
class CGlobalWin : public CModelessDialog {
public:
    // The window takes its update from theKit.
    explicit CGlobalWin(const CUpdateKit& theKit);
    ~CGlobalWin() override;

    void InitDialog() override;
    void SelectTabPage(int thePage) override;
    void DoCommand(int theCommand, int theCode, long theParam) override;
    void Close() override;
    bool Create(CWindow* pParent) override;
    bool QueryQuit() override;
    void Redraw(int theFlag, int theExtra) override;
    // Opens the window; the splash stays in front of it.
    int DoModal() override;
    // Help: the help message opens the index, timer 1003 a pending topic, and
    // F1 (or the help key) posts the help message.
    bool HandleMessage(int theMessage, int theWord, long theLong) override;
    void OnTimer(int theTimerId) override;
    void OnKeyDown(int theKeyCode, int theCharCode, int theModifiers, int theRepeat) override;
    // File > Print: prints the readme, or after a run its log; 0 when printed.
    int PrintDocument();
    // Shows help topic string theStringId once the window is idle again.
    void ShowHelpTopicLater(int theStringId);

    // The update itself, on the target folder; ends on page 156 or 157.
    void RunUpdate();
    // The UpdaterExitStatus the last run earns; kExitDone before any.
    int GetExitStatus() const { return itsExitStatus; }
    // Offers every folder of the found copies that still exists, once.
    void CollectTargetFolders();
    // Asks for a folder, checks it holds a valid copy and selects it.
    void AddTargetFolder();
    // The same checks for a folder already chosen; 1 when it was added,
    // else 0 after the refusal message.
    int AddTargetFolderPath(const Cstring& thePath);
    // Selects row theRow of the folder list (-1: none) and makes its folder the target.
    void SelectFolderRow(int theRow);
    // Takes the copies from the check of start-up once it is done, and goes
    // on to the folder page when Next was pressed while it ran.
    void TakeCheckedCopies();
    // Whether start-up's check of the copies is still running or not taken.
    bool IsCheckingCopies() const;
    // File > Open Kit… and the kit page's button: asks for a kit folder or a
    // kit archive and takes it.
    void OpenKitRequest();
    // Takes the kit folder or kit archive thePath in place of the kit the
    // window has and goes to the welcome page: 1, or 0 after a message that
    // says why not, with everything as it was.
    int TakeKit(const Cstring& thePath);

    const Cstring& GetTargetFolder() const { return itsTargetFolder; }
    const CUpdateKit& GetKit() const { return itsKit; }
    // Whose signature a kit needs, as the command line said.
    void SetTrust(const TrustOptions& theTrust) { itsTrust = theTrust; }
    const CStringArray& GetFolders() const { return itsFolders; }
    // Made by InitDialog.
    const CListView& GetFolderList() const { return *itsFolderList; }
    // Where the last failed run left the log and the backup, for the user.
    const Cstring& GetLogPath() const { return itsLogPath; }
    const Cstring& GetBackupPath() const { return itsBackupPath; }
    // Null once its countdown has ended.
    class CSplashWin* GetSplash() const { return itsSplash.get(); }

private:
    // The result page of a run, or of one that could not start.
    void ShowResult(const class CUpdateRun& theRun);
    void RebuildFolderRows();
    // The selection of the folder list changed: the target follows it.
    void FolderSelectionChanged();
    Cstring SelectedFolder() const;
    void ExitRequest();
    // Next on the first page while the copies are checked: says so and goes
    // on when the check is done.
    void WaitForCheckedCopies();

    // Fills the pages from itsKit: the install name, the readme, the copies.
    void ShowKit();

    CUpdateKit itsKit;
    // The kit archive opened from the window, unpacked; its folder is itsKit's.
    std::unique_ptr<class CUnpackedKit> itsUnpackedKit;
    TrustOptions itsTrust;
    std::unique_ptr<CListView> itsFolderList;
    Cstring itsBlockName; // never given a value
    Cstring itsChosenFolder;
    Cstring itsTargetFolder;
    CStringArray itsFolders;
    Cstring itsLogPath;
    Cstring itsBackupPath;
    int itsHelpTopicId = 0;
    int itsExitStatus = kExitDone;

    // The window's own side: splash, placement, the run's guard.
    void CloseSplash();
    void PlaceWindow();
    std::unique_ptr<class CSplashWin> itsSplash;
    std::unique_ptr<CMenuBar> itsMenuBar; // menu bar 130, shown as itsMenu
    // While the run lasts, only a cancel request is taken, by the run's poll.
    bool bRunning = false;
    // Next was pressed on the first page while the copies were checked.
    bool bNextWhenChecked = false;
};

// 0 until the main window has been closed.
extern bool bGlobalClosed;

// The whole of a regular text file, line ends included; empty when it cannot
// be read or is not a regular file (a FIFO would block the start).
Cstring ReadTextFile(const char* thePath);
