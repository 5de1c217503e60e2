// The wizard's page flow and its dialog state, without an update run.

#include "engine/CopyCheck.h"
#include "engine/UpdateKit.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/ProfileSettings.h"
#include "identification/ProgramList.h"
#include "platform/MenuBar.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "support/ScopedGlobal.h"
#include "support/ScopedVariable.h"
#include "support/TarRecipe.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"
#include "ui/Gblwin.h"
#include "ui/Splash.h"

#include <gmock/gmock.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

using ::testing::HasSubstr;

namespace {

class GlobalWin : public testing::Test {
protected:
    void SetUp() override
    {
        OpenAppResources();
        itsHost.itsAlertAnswer = [this](const CAlert& theAlert) {
            itsQuestions.push_back(theAlert.itsText.GetText());
            return theAlert.itsButtonCount == 2 ? itsAnswer : static_cast<int>(kResultOk);
        };
        itsTemp.Write("kit/Fix1.zip", "");
        itsKit.itsFolder = (itsTemp / "kit").c_str();
        itsKit.itsArchive = (itsTemp / "kit/Fix1.zip").c_str();
        itsKit.itsInstallName = "Fix1";
        for (const char* folder : { "Applications/One", "Applications/Two", "Applications/Tom & Jerry" }) {
            itsTemp.Write(std::string(folder) + "/Patchwell 5.app/Contents/Info.plist", "");
            CProgram* found = new CProgram;
            found->itsFolder = (itsTemp / folder).c_str();
            FoundPrograms.Append(found);
        }
    }

    void TearDown() override
    {
        StartupCopyCheck().Stop();
        delete itsWindow;
        FoundPrograms.DeleteAll();
    }

    // Opens the window anew: the one before goes first.
    CGlobalWin& Open()
    {
        delete itsWindow;
        itsWindow = new CGlobalWin(itsKit);
        EXPECT_EQ(itsWindow->DoModal(), 1);
        return *itsWindow;
    }

    std::string Text(int theItemId) const { return itsWindow->FindEntry(theItemId)->itsText.GetText(); }

    CScopedGlobal<bool> itsClosed { bGlobalClosed, false };
    CScopedGlobal<bool> itsQuitting { Shell().bQuitting };
    CScopedGlobal<std::remove_reference_t<decltype(GlobalLocation)>> itsLocation { GlobalLocation, {} };
    CTestHost itsHost;
    TempFolder itsTemp;
    CUpdateKit itsKit;
    CGlobalWin* itsWindow = nullptr;
    std::vector<std::string> itsQuestions;
    int itsAnswer = kResultNo;
};

} // namespace

TEST_F(GlobalWin, PagesShowOnlyTheirOwnItemsAndSetTheButtons)
{
    CGlobalWin& window = Open();
    EXPECT_EQ(window.GetCurrentPage(), kPageWelcome);
    EXPECT_FALSE(window.IsItemEnabled(kItemBack));
    EXPECT_TRUE(window.IsItemEnabled(kItemNext));
    EXPECT_TRUE(window.FindEntry(kItemReadme)->bShown);
    EXPECT_FALSE(window.FindEntry(kItemProgressBar)->bShown) << "the progress page's bar stays hidden";
    EXPECT_EQ(Text(kItemInstallName), "Fix1");

    window.DoCommand(kItemNext, 0, 0);
    EXPECT_EQ(window.GetCurrentPage(), kPageFolder);
    EXPECT_FALSE(window.FindEntry(kItemReadme)->bShown);
    EXPECT_TRUE(window.FindEntry(kItemNext)->bShown) << "the dialog's own items stay";
    EXPECT_TRUE(window.GetFolderList().IsShown());

    window.DoCommand(kItemBack, 0, 0);
    EXPECT_EQ(window.GetCurrentPage(), kPageWelcome);
    EXPECT_FALSE(window.GetFolderList().IsShown());

    // The result pages alone show the outcome.
    for (int page : { kPageWelcome, kPageFolder, kPageConfirm, kPageProgress }) {
        window.SelectTabPage(page);
        EXPECT_FALSE(window.FindEntry(kItemMessage)->bShown) << page;
        EXPECT_FALSE(window.FindEntry(kItemWhereThingsAre)->bShown) << page;
        EXPECT_EQ(Text(kItemCancel), "Cancel") << page;
    }
    window.SelectTabPage(kPageDone);
    EXPECT_TRUE(window.FindEntry(kItemMessage)->bShown);
    EXPECT_TRUE(window.FindEntry(kItemWhereThingsAre)->bShown);
    EXPECT_EQ(Text(kItemCancel), "Close") << "nothing is left to cancel";
    window.SelectTabPage(kPageFailed);
    EXPECT_TRUE(window.FindEntry(kItemMessage)->bShown);
    EXPECT_EQ(Text(kItemCancel), "Cancel");
}

TEST_F(GlobalWin, AFolderPathKeepsItsAmpersandsWhereLabelsLoseTheirs)
{
    CGlobalWin& window = Open();
    window.DoCommand(kItemNext, 0, 0);
    window.SelectFolderRow(2);
    window.DoCommand(kItemNext, 0, 0);
    const std::string path = itsTemp / "Applications/Tom & Jerry";
    auto shown = [&window](int theItemId) {
        return static_cast<CRecordingControlView*>(window.FindEntry(theItemId)->itsView)->itsCalls.back();
    };
    EXPECT_THAT(shown(kItemConfirmation), HasSubstr(path + "\n"));
    for (int item : { kItemTargetFolder, kItemMessage, kItemWhereThingsAre, kItemStatus, kItemEntryName }) {
        window.SetItemText(item, path.c_str());
        EXPECT_EQ(shown(item), "text:" + path) << item;
    }
    window.SetItemText(183, "Tom && Jerry");
    EXPECT_EQ(shown(183), "text:Tom & Jerry") << "a label's doubled ampersand stays one";
}

// The installed updater has no kit beside it: the window asks for one, a
// folder or an archive, and stays on that page until it gets a kit.
TEST_F(GlobalWin, WithoutAKitTheWindowAsksForOneUntilItGetsOne)
{
    CScopedGlobal<Cstring> bundle { gAppBundlePath };
    CScopedGlobal<Cstring> applications { gApplicationsFolder, (itsTemp / "Applications").c_str() };
    std::filesystem::create_directory(itsTemp.Path() / "tmp");
    CScopedVariable temporary { "TMPDIR", itsTemp / "tmp" };
    itsKit.itsArchive = "";
    CGlobalWin& window = Open();
    EXPECT_EQ(window.GetCurrentPage(), kPageKit);
    EXPECT_EQ(Text(kItemNoKitFolder), "No update kit was found in \"" + itsTemp / "kit" + "\".");
    EXPECT_FALSE(window.IsItemEnabled(kItemNext));
    EXPECT_FALSE(window.IsItemEnabled(kItemBack));
    EXPECT_TRUE(window.IsItemEnabled(kItemOpenKit));

    itsTemp.Write("notes/readme.txt", "not a kit");
    ASSERT_TRUE(WriteTarGz(
        itsTemp / "hostile.pwkit", { { "kit/", '5' }, { "kit/data.txt", '2', "", "/etc/passwd" } }));
    ASSERT_TRUE(WriteTarGz(itsTemp / "Spring.pwkit",
        { { "Spring/", '5' }, { "Spring/Spring Update.zip", '0', "" }, { "Spring/data.txt", '0', "" },
            { "Spring/readme.txt", '0', "What is new in spring" } }));
    const std::vector<std::pair<std::string, std::string>> refused = {
        { itsTemp / "notes", "No update archive (.zip file) was found in \"" + itsTemp / "notes" + "\"." },
        { itsTemp / "hostile.pwkit",
            "The update kit \"" + itsTemp / "hostile.pwkit"
                + "\" cannot be opened: 'kit/data.txt' is a symbolic link" },
    };
    std::string chosen;
    itsHost.itsPathAnswer = [&](const char*, Cstring& thePath) {
        thePath = chosen.c_str();
        return 1;
    };
    for (const auto& [path, said] : refused) {
        chosen = path;
        itsQuestions.clear();
        window.DoCommand(kItemOpenKit, 0, 0);
        ASSERT_EQ(itsQuestions.size(), 1u) << path;
        EXPECT_EQ(itsQuestions[0].rfind(said, 0), 0u) << itsQuestions[0];
        EXPECT_EQ(window.GetCurrentPage(), kPageKit);
        EXPECT_TRUE(std::filesystem::is_empty(itsTemp / "tmp")) << "nothing of a refused kit is kept";
    }

    // File > Open Kit… takes the archive: the pages show its kit.
    chosen = itsTemp / "Spring.pwkit";
    itsQuestions.clear();
    window.DoCommand(static_cast<int>(FourCharCode("opnk")), 0, 0);
    EXPECT_EQ(window.GetCurrentPage(), kPageKit) << "the chooser opens from the loop";
    Shell().DeliverPostedMessages();
    EXPECT_TRUE(itsQuestions.empty()) << itsQuestions[0];
    EXPECT_EQ(window.GetCurrentPage(), kPageWelcome);
    EXPECT_EQ(Text(kItemInstallName), "Spring Update");
    EXPECT_EQ(Text(kItemReadme), "What is new in spring");
    EXPECT_EQ(window.GetKit().itsFolder.GetText(), std::string(gAppBundlePath.GetText()));
    EXPECT_TRUE(std::filesystem::exists(window.GetKit().itsArchive.GetText()));
    delete itsWindow;
    itsWindow = nullptr;
    EXPECT_TRUE(std::filesystem::is_empty(itsTemp / "tmp")) << "the unpacked kit goes with the window";
    ValidPrograms.DeleteAll();
}

TEST_F(GlobalWin, ReadmeLineEndsBecomeCarriageReturnLineFeed)
{
    itsTemp.Write("kit/readme.txt", "one\rtwo\nthree\r\nlast line without an end");
    Open();
    EXPECT_EQ(Text(kItemReadme), "one\r\ntwo\r\nthree\r\nlast line without an end");

    std::filesystem::remove(itsTemp / "kit/readme.txt");
    Open();
    EXPECT_FALSE(Text(kItemReadme).empty()) << "the fallback text stands in for a missing readme";

    // A FIFO would block an ordinary open until a writer came.
    ASSERT_EQ(mkfifo((itsTemp / "kit/readme.txt").c_str(), 0600), 0);
    const std::string fallback = Text(kItemReadme);
    Open();
    EXPECT_EQ(Text(kItemReadme), fallback);
}

TEST_F(GlobalWin, OpensCentredOrWhereItWasAndRemembersWhereItClosed)
{
    CGlobalWin& window = Open();
    EXPECT_STREQ(window.GetTitle().GetText(), Cstring(10000).GetText());
    ASSERT_NE(window.itsMenu, nullptr);
    EXPECT_EQ(window.itsMenu->GetMenuBarId(), 130);
    EXPECT_NE(window.itsMenu->FindCommand(static_cast<int32_t>(FourCharCode("quit"))), nullptr);
    // 640 by 480 on the test host's 1280 by 800 screen: centred across, a
    // third of the room above.
    EXPECT_EQ(window.GetFrame(), (CRect { 106, 320, 586, 960 }));
    window.SetFrame({ 60, 70, 540, 710 }); // the user moved it
    window.DoCommand(kItemNext, 0, 0);
    itsAnswer = kResultYes;
    window.DoCommand(kItemCancel, 0, 0);
    ASSERT_TRUE(bGlobalClosed);
    EXPECT_EQ(
        (CRect { GlobalLocation.top, GlobalLocation.left, GlobalLocation.bottom, GlobalLocation.right }),
        (CRect { 60, 70, 540, 710 }));
    EXPECT_EQ(itsHost.itsLoopQuits, 1);
    window.Close();
    EXPECT_EQ(itsHost.itsLoopQuits, 1) << "closing runs once";

    bGlobalClosed = false;
    CGlobalWin& again = Open();
    EXPECT_EQ(again.GetFrame(), (CRect { 60, 70, 540, 710 }));
    GlobalLocation = { 0, 70, 540, 710 };
    EXPECT_EQ(Open().GetFrame().top, 106) << "a first corner that is not positive is not a place";
}

// The splash's own command, at the end of its countdown, is
// WizardWindow.ClicksLeadFromTheReadmeToAnUpdatedCopy's.
TEST_F(GlobalWin, SplashGoesWhenTheUpdaterQuits)
{
    CGlobalWin& window = Open();
    ASSERT_NE(window.GetSplash(), nullptr);
    EXPECT_TRUE(window.GetSplash()->IsVisible());
    EXPECT_TRUE(window.QueryQuit());
    EXPECT_EQ(window.GetSplash(), nullptr);
}

TEST_F(GlobalWin, FilePrintPrintsTheReadmeAndAfterARunTheLog)
{
    itsTemp.Write("kit/readme.txt", "Spring\r\nUpdate\r\n"); // lines the scripted page holds
    itsTemp.Write("Applications/One/Updater Log File.txt", "Extracted\n");
    CGlobalWin& window = Open();
    const CPrinterScript& printing = itsHost.itsPrinting;
    window.DoCommand(static_cast<int>(FourCharCode("prnt")), 0, 0);
    EXPECT_EQ(printing.itsPage.itsLines, (std::vector<std::string> { "Spring", "Update", "" }));
    EXPECT_EQ(printing.itsCalls[1], "document:readme.txt");

    window.DoCommand(kItemNext, 0, 0);
    window.SelectFolderRow(0);
    window.SelectTabPage(kPageDone);
    itsHost.itsPrinting.itsPage.itsLines.clear();
    window.DoCommand(static_cast<int>(FourCharCode("prnt")), 0, 0);
    EXPECT_EQ(printing.itsPage.itsLines, (std::vector<std::string> { "Extracted", "" }));
    EXPECT_EQ(printing.itsCalls.back(), "end document");
    EXPECT_NE(std::find(printing.itsCalls.begin(), printing.itsCalls.end(), "document:Updater Log File.txt"),
        printing.itsCalls.end());
}

TEST_F(GlobalWin, TheFirstPageIsUsableWhileTheCopiesAreChecked)
{
    // A check held back until the test lets it end: the window opens, and
    // Next waits for it, saying so.
    FoundPrograms.DeleteAll();
    const std::string folder = itsTemp / "Applications/One";
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    CGlobalWin* const* window = &itsWindow;
    StartupCopyCheck().Start(
        [released, folder](CProgramList& theFound, CProgramList&, std::stop_token) {
            released.wait();
            CProgram* found = new CProgram;
            found->itsFolder = folder.c_str();
            theFound.Append(found);
        },
        [window] { Shell().PostFromAnyThread(*window, kMsgCopiesChecked, 0, 0); });
    Open();
    EXPECT_EQ(itsWindow->GetCurrentPage(), kPageWelcome);
    EXPECT_TRUE(itsWindow->IsItemEnabled(kItemNext));
    EXPECT_EQ(itsWindow->GetFolderList().RowCount(), 0);
    itsWindow->DoCommand(kItemNext, 0, 0);
    EXPECT_EQ(itsWindow->GetCurrentPage(), kPageWelcome);
    EXPECT_FALSE(itsWindow->IsItemEnabled(kItemNext));
    EXPECT_TRUE(itsWindow->IsItemEnabled(kItemCancel));
    EXPECT_EQ(Text(kItemInitBlank), Cstring(10203).GetText());

    release.set_value();
    StartupCopyCheck().Wait(); // the message is posted before the thread ends
    Shell().DeliverPostedMessages();
    EXPECT_EQ(itsWindow->GetCurrentPage(), kPageFolder);
    ASSERT_EQ(itsWindow->GetFolderList().RowCount(), 1);
    EXPECT_EQ(itsWindow->GetFolderList().ItemAtRow(0)->itsText.GetText(), folder);
    EXPECT_EQ(Text(kItemInitBlank), " ");
    EXPECT_FALSE(StartupCopyCheck().IsStarted());
}

TEST_F(GlobalWin, QuittingWhileTheCopiesAreCheckedStopsTheCheck)
{
    // A check that would never end by itself.
    std::atomic<bool> bStopped = false;
    StartupCopyCheck().Start(
        [&bStopped](CProgramList&, CProgramList&, std::stop_token theStop) {
            while (!theStop.stop_requested())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            bStopped = true;
        },
        [] { ADD_FAILURE() << "a stopped check reports nothing"; });
    Open();
    itsAnswer = kResultYes;
    itsWindow->DoCommand(kItemCancel, 0, 0);
    EXPECT_TRUE(bGlobalClosed);
    StartupCopyCheck().Stop();
    EXPECT_TRUE(bStopped);
    EXPECT_FALSE(StartupCopyCheck().IsStarted());
    Shell().DeliverPostedMessages();
}
