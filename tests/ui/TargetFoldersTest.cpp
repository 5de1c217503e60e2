// The folder page: the folders offered at the start, and the Add button's
// checks of a folder the user picks, with the chooser answered by the test.

#include "engine/UpdateKit.h"
#include "engine/UpdaterGlobals.h"
#include "foundation/ProfileSettings.h"
#include "identification/ProgramScanner.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"
#include "support/DemoBuild.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"
#include "ui/Gblwin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

class TargetFolders : public testing::Test {
protected:
    void SetUp() override
    {
        OpenAppResources();
        itsTemp.Write("kit/Fix1.zip", "");
        itsKit = CUpdateKit::InFolder((itsTemp / "kit").c_str());
        BaseProgramPath = itsKit.itsFolder;
        ASSERT_TRUE(MakeDemoBuild(itsTemp / "build/Patchwell 5", "5.0.1", "2025-03-01 10:00:00"));
        CProgram* valid = new CProgram;
        ScanFile(*valid, (itsTemp / "build/Patchwell 5/Patchwell 5.app").c_str(), nullptr);
        ValidPrograms.Append(valid);
        std::filesystem::create_directories(itsTemp.Path() / "Applications");
        std::filesystem::create_directories(itsTemp.Path() / "Elsewhere/Empty");
        for (const char* folder : { "Applications/Found", "Elsewhere/Other" })
            std::filesystem::copy(itsTemp.Path() / "build/Patchwell 5", itsTemp.Path() / folder,
                std::filesystem::copy_options::recursive);
        ProcessDirectory(FoundPrograms, Found().c_str(), gValidProgramNames, &ValidPrograms);
        ASSERT_EQ(FoundPrograms.GetCount(), 1);

        itsHost.itsAlertAnswer = [](const CAlert&) { return static_cast<int>(kResultOk); };
        itsHost.itsFolderAnswer = [this](const char* thePrompt, Cstring& theFolder) {
            itsPrompts.push_back(std::string(thePrompt) + " @ " + theFolder.GetText());
            if (itsChoice.empty())
                return 0;
            theFolder = itsChoice.c_str();
            return 1;
        };
        itsWindow = std::make_unique<CGlobalWin>(itsKit);
        ASSERT_EQ(itsWindow->DoModal(), 1);
        itsWindow->DoCommand(kItemNext, 0, 0);
        ASSERT_EQ(itsWindow->GetCurrentPage(), kPageFolder);
    }

    void TearDown() override
    {
        itsWindow.reset();
        FoundPrograms.DeleteAll();
        ValidPrograms.DeleteAll();
    }

    std::string Found() const { return itsTemp / "Applications/Found"; }
    // Presses Add with the chooser answering theChoice ("" cancels).
    void Add(const std::string& theChoice)
    {
        itsChoice = theChoice;
        itsWindow->DoCommand(kItemAdd, 0, 0);
    }
    // The rows, and whether the state around them is as it was.
    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        const CListView& list = itsWindow->GetFolderList();
        for (int row = 0; row < list.RowCount(); ++row)
            rows.push_back(list.ItemAtRow(row)->itsText.GetText());
        return rows;
    }

    CScopedGlobal<bool> itsClosed { bGlobalClosed, false };
    CScopedGlobal<Cstring> itsBase { BaseProgramPath };
    CTestHost itsHost;
    TempFolder itsTemp;
    CUpdateKit itsKit;
    std::unique_ptr<CGlobalWin> itsWindow;
    std::string itsChoice;
    std::vector<std::string> itsPrompts;
};

} // namespace

TEST_F(TargetFolders, FoundCopiesAreOfferedOnceWithNoneSelected)
{
    EXPECT_EQ(Rows(), std::vector<std::string> { Found() });
    EXPECT_EQ(itsWindow->GetFolderList().GetSelectedID(), 0);
    EXPECT_FALSE(itsWindow->IsItemEnabled(kItemNext));

    // Two copies in one folder, and one whose folder has gone since.
    CProgram* second = new CProgram;
    second->itsFolder = Found().c_str();
    FoundPrograms.Append(second);
    CProgram* gone = new CProgram;
    gone->itsFolder = (itsTemp / "Applications/Gone").c_str();
    FoundPrograms.Append(gone);
    CGlobalWin window(itsKit);
    ASSERT_EQ(window.DoModal(), 1);
    EXPECT_EQ(window.GetFolderList().RowCount(), 1);
    EXPECT_EQ(window.GetFolders().GetCount(), 1);
}

TEST_F(TargetFolders, RefusalsSayWhyAndChangeNothing)
{
    Add(Found()); // refused even while its row is not selected
    EXPECT_FALSE(itsWindow->IsItemEnabled(kItemNext));
    EXPECT_EQ(itsWindow->GetTargetFolder().Length(), 0);
    itsWindow->SelectFolderRow(0);
    const std::string empty = itsTemp / "Elsewhere/Empty";
    Add("");
    Add("relative");
    Add(Found());
    Add(empty);
    EXPECT_EQ(itsHost.AlertTexts(),
        (std::vector<std::string> { "The folder\n'" + Found() + "',\nis already in the list",
            "Not a valid file Path", "The folder\n'" + Found() + "',\nis already in the list",
            "No valid Patchwell program found in\n'" + empty + "'" }))
        << "the cancelled chooser says nothing";
    for (const CAlert& alert : itsHost.itsAlerts)
        EXPECT_EQ(alert.itsButtonCount, 1);
    ASSERT_EQ(itsPrompts.size(), 5u);
    EXPECT_EQ(itsPrompts[0], std::string(Cstring(10107).GetText()) + " @ " + BaseProgramPath.GetText());
    EXPECT_EQ(Rows(), std::vector<std::string> { Found() });
    EXPECT_EQ(itsWindow->GetFolderList().GetSelectedID(), itsWindow->GetFolderList().ItemAtRow(0)->itsId);
    EXPECT_EQ(std::string(itsWindow->GetTargetFolder().GetText()), Found());
    EXPECT_TRUE(itsWindow->IsItemEnabled(kItemNext));
    EXPECT_EQ(FoundPrograms.GetCount(), 1);
}

TEST_F(TargetFolders, AValidFolderIsSelectedAndNextComesOnAtOnce)
{
    const std::string other = itsTemp / "Elsewhere/Other";
    Add(other);
    EXPECT_TRUE(itsHost.itsAlerts.empty());
    EXPECT_EQ(Rows(), (std::vector<std::string> { Found(), other }));
    const CListView& list = itsWindow->GetFolderList();
    EXPECT_EQ(list.GetSelectedID(), list.ItemAtRow(1)->itsId);
    EXPECT_EQ(std::string(itsWindow->GetTargetFolder().GetText()), other);
    EXPECT_TRUE(itsWindow->IsItemEnabled(kItemNext));
    EXPECT_EQ(FoundPrograms.GetCount(), 2) << "its copy joins the found ones";

    // The selection decides, not the order things were added in.
    itsWindow->SelectFolderRow(0);
    EXPECT_EQ(std::string(itsWindow->GetTargetFolder().GetText()), Found());
    itsWindow->SelectFolderRow(-1);
    EXPECT_EQ(itsWindow->GetTargetFolder().Length(), 0);
    EXPECT_FALSE(itsWindow->IsItemEnabled(kItemNext));

    Add(other);
    EXPECT_EQ(itsHost.AlertTexts().back(), "The folder\n'" + other + "',\nis already in the list");
    EXPECT_EQ(Rows().size(), 2u);
}
