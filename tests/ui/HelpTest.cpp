// What the help operations hand to the browser, and what they say when a page
// is missing: the test host records both.

#include "foundation/ProfileSettings.h"
#include "platform/DesktopServices.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"
#include "ui/Gblwin.h"
#include "ui/mhelpfunc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

class Help : public testing::Test {
protected:
    void SetUp() override
    {
        OpenAppResources();
        itsSavedFolder = std::filesystem::current_path();
        itsProgram = itsTemp / "Patchwell 5.0";
        BaseProgramPath = itsProgram.c_str();
        itsTemp.Write("Patchwell 5.0/Help/astart.htm", "<html></html>");
        itsTemp.Write("Patchwell 5.0/Help/install.htm", "<html></html>");
        itsTemp.Write("Patchwell 5.0/Help/notes.txt", "notes");
        itsTemp.Write("Patchwell 5.0/Help/Stars/SewInst/Eight/Lemoyne.htm", "<html></html>");
        itsTemp.Write("Patchwell 5.0/secret.htm", "outside the help folder");
    }

    void TearDown() override { std::filesystem::current_path(itsSavedFolder); }

    // The encoding itself is OpenUrlDropsEveryFilePrefix's, which spells it out.
    std::string Url(const std::string& thePathInProgram, const char* theAnchor = nullptr) const
    {
        return FileUrl((itsProgram + "/" + thePathInProgram).c_str(), theAnchor).GetText();
    }

    std::string NotFound(const std::string& thePathInProgram) const
    {
        return "Topic '" + itsProgram + "/" + thePathInProgram + "' not found";
    }

    TempFolder itsTemp;
    CTestHost itsHost;
    std::string itsProgram;
    std::filesystem::path itsSavedFolder;
    CScopedGlobal<Cstring> itsBase { BaseProgramPath };
};

TEST_F(Help, IndexOpensFromTheProgramFolderWhenItIsThere)
{
    ShowHelpIndex();
    EXPECT_EQ(itsHost.itsDocuments, Strings { Url("Help/astart.htm") });
    EXPECT_TRUE(itsHost.itsAlerts.empty());
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(itsProgram));

    // A missing index or folder opens nothing.
    itsHost.itsDocuments.clear();
    std::filesystem::remove(itsProgram + "/Help/astart.htm");
    ShowHelpIndex();
    std::filesystem::remove_all(itsProgram + "/Help");
    ShowHelpIndex();
    ShowHelpFile("..", "secret.htm"); // not below the program folder
    ShowHelpFile("Help", "../../outside.htm");
    EXPECT_TRUE(itsHost.itsDocuments.empty());
    EXPECT_EQ(itsHost.AlertTexts(), Strings(4, "Help folder not found"));
}

// A topic gets the extension and anchor it lacks; a URL topic is used as
// given; a missing one is named with its path, and so is one that reaches
// past the help folder.
TEST_F(Help, TopicsGetTheirExtensionAndAnchor)
{
    std::filesystem::create_symlink(itsProgram + "/secret.htm", itsProgram + "/Help/link.htm");
    ShowHelpTopic("install", nullptr); // the dot in "Patchwell 5.0" is not the topic's
    ShowHelpTopic("notes.txt", "");
    ShowHelpTopic("install", "backup");
    ShowHelpTopic("FILE://../x", nullptr);
    ShowHelpTopic("update", "step2");
    ShowHelpTopicURL("update.htm");
    ShowHelpTopicURL("install.htm#backup");
    ShowHelpTopicURL("install"); // no extension is added on this path
    ShowHelpTopic("../secret", nullptr);
    ShowHelpTopic("Stars/../../secret.htm", nullptr);
    ShowHelpTopicURL("../secret.htm");
    ShowHelpTopic("link", nullptr);
    EXPECT_EQ(itsHost.itsDocuments,
        (Strings { Url("Help/install.htm"), Url("Help/notes.txt"), Url("Help/install.htm", "backup"),
            Url("Help/install.htm", "backup") }));
    EXPECT_EQ(itsHost.AlertTexts(),
        (Strings { NotFound("Help/FILE://../x.htm"), NotFound("Help/update.htm"), NotFound("Help/update.htm"),
            NotFound("Help/install"), NotFound("Help/../secret.htm"), NotFound("Help/Stars/../../secret.htm"),
            NotFound("Help/../secret.htm"), NotFound("Help/link.htm") }));
}

TEST_F(Help, BlockInstructionsFollowTheBlockLibrary)
{
    ShowBlockInstructions((itsProgram + "/Blocks/Stars/Eight/Lemoyne.blk").c_str());
    ShowBlockInstructions((itsProgram + "/blocks/Stars/Eight/Lemoyne.BLK").c_str());
    EXPECT_EQ(itsHost.itsDocuments, Strings(2, Url("Help/Stars/SewInst/Eight/Lemoyne.htm")));

    // Outside the program folder the leading folders stay in the help path.
    ShowBlockInstructions("/Other/Blocks/Stars/Eight/Lemoyne.blk");
    ShowBlockInstructions((itsProgram + "/Blocks/Stars/../../../../secret.blk").c_str());
    ShowBlockInstructions("Lemoyne.blk");
    EXPECT_EQ(itsHost.AlertTexts(),
        (Strings { NotFound("Help/SewInst/Other/Blocks/Stars/Eight/Lemoyne.htm"),
            NotFound("Help/Stars/SewInst/../../../../secret.htm"), NotFound("Help/SewInst/Lemoyne.htm") }));
}

TEST_F(Help, OpenUrlDropsEveryFilePrefix)
{
    OpenURL("FILE://file:///docs/a b.htm#top");
    OpenURL("https://example.org/help?x=1");
    itsTemp.Write("odd#name.htm", "");
    OpenURL(("FILE://" + (itsTemp / "odd#name.htm")).c_str()); // a "#" of the name itself
    EXPECT_EQ(itsHost.itsDocuments,
        (Strings { "file:///docs/a%20b.htm#top", "https://example.org/help?x=1",
            "file://" + (itsTemp / "odd%23name.htm") }));
}

TEST_F(Help, MainWindowOpensHelpFromMenuKeyAndTimer)
{
    CGlobalWin window(CUpdateKit {});
    window.DoCommand(static_cast<int>(FourCharCode("help")), 0, 0);
    window.HandleMessage(kMsgShowHelp, 0, 0);
    window.OnKeyDown(kKeyF1, 0, 0, 1);
    Shell().DeliverPostedMessages();
    EXPECT_EQ(itsHost.itsDocuments, Strings(3, Url("Help/astart.htm")));

    // A pending topic waits for the window's timer, which fires once.
    window.ShowHelpTopicLater(10000);
    EXPECT_TRUE(itsHost.itsAlerts.empty());
    for (int tick = 0; tick < 3; ++tick) {
        itsHost.itsNow += 400'000;
        Shell().IdleTick();
    }
    EXPECT_EQ(itsHost.AlertTexts(), Strings { NotFound(std::string("Help/") + LoadString(10000).GetText()) });
}

} // namespace
