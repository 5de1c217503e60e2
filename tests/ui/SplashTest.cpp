// The splash: what it shows, its countdown on the window timer, and its end
// through the main window's deferred command.

#include "ui/Splash.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "support/ScopedGlobal.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CCommandWindow : public CWindow {
public:
    void DoCommand(int theId, int, long) override { itsCommands.push_back(theId); }
    std::vector<int> itsCommands;
};

class Splash : public testing::Test {
protected:
    void SetUp() override
    {
        OpenAppResources();
        itsParent.SetFrame({ 100, 200, 580, 840 });
    }

    // One idle pass, theMilliseconds after the last.
    void Idle(int theMilliseconds)
    {
        itsHost.itsNow += uint64_t(theMilliseconds) * 1000;
        Shell().IdleTick();
        Shell().DeliverPostedMessages();
    }

    CTestHost itsHost;
    CCommandWindow itsParent;
};

} // namespace

TEST_F(Splash, ShowsPictureTitleVersionAndSystemCentredOverItsParent)
{
    DescribeSystem();
    CSplashWin splash(itsParent);
    ASSERT_TRUE(splash.Create(&itsParent));
    const CRect frame = splash.GetFrame();
    EXPECT_EQ(frame.left + frame.Width() / 2, 520);
    EXPECT_EQ(frame.top + frame.Height() / 2, 340);
    EXPECT_FALSE(splash.GetStyle() & kStyleDocument) << "a plain window, without a title bar";

    std::vector<std::string> texts;
    bool bPicture = false;
    for (const auto& entry : splash.Entries()) {
        if (entry->itsKind == kKindPicture)
            bPicture = entry->itsText == Cstring("233");
        else
            texts.push_back(entry->itsText.GetText());
    }
    EXPECT_TRUE(bPicture);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], SplashTitleLine().GetText());
    EXPECT_FALSE(texts[0].empty());
    EXPECT_EQ(texts[1].rfind("Version " PW_VERSION, 0), 0u) << texts[1];
    EXPECT_EQ(texts[2], gSystemDescription.GetText());

    // The title line takes the library file first.
    CResFile library;
    const char bundle[]
        = R"({ "STR#": { "10000": ["", "Deluxe", "", "", "", "", "", "", "", "", "Patchwell 5"] } })";
    ASSERT_TRUE(library.OpenData(bundle, sizeof bundle - 1, "pw95lib1.dll"));
    CScopedGlobal<CResFile*> installed(gLibraryResFile, &library);
    EXPECT_STREQ(SplashTitleLine().GetText(), "Patchwell 5, Deluxe");
}

TEST_F(Splash, CountsDownOnceASecondThenAsksItsParentToCloseIt)
{
    CSplashWin splash(itsParent);
    ASSERT_TRUE(splash.Create(&itsParent));
    Idle(333);
    EXPECT_EQ(splash.GetCountdown(), 3) << "not yet a second";
    Idle(700);
    EXPECT_EQ(splash.GetCountdown(), 2);
    Idle(1001);
    EXPECT_EQ(splash.GetCountdown(), 1);
    EXPECT_TRUE(itsParent.itsCommands.empty());
    Idle(1001);
    EXPECT_EQ(splash.GetCountdown(), 0);
    EXPECT_EQ(itsParent.itsCommands, std::vector<int> { kCommandSplashDone });
    Idle(5000);
    EXPECT_EQ(itsParent.itsCommands.size(), 1u) << "the timer stopped at 0";
    EXPECT_EQ(Shell().TimerCount(), 0u);
}
