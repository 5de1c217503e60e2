// The shell's queue, timers, commands and quit, driven by the test host: the
// idle tick and the clock move only when a test moves them.

#include "platform/Shell.h"
#include "platform/Resources.h"
#include "platform/controlentry.h"
#include "platform/mdialog.h"
#include "support/ScopedGlobal.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every operation the shell calls.
class CLoggingWindow : public CWindow {
public:
    explicit CLoggingWindow(std::vector<std::string>& theLog, const char* theName = "w")
        : itsLog(theLog)
        , itsName(theName)
    {
    }
    void DoCommand(int theId, int theCode, long theParam) override
    {
        Add("command " + std::to_string(theId) + " " + std::to_string(theCode) + " "
            + std::to_string(theParam));
    }
    bool HandleMessage(int theMessage, int theWord, long theLong) override
    {
        Add("message " + std::to_string(theMessage) + " " + std::to_string(theWord) + " "
            + std::to_string(theLong));
        return true;
    }
    void OnTimer(int theId) override { Add("timer " + std::to_string(theId)); }
    bool QueryQuit() override
    {
        Add("query");
        return bAgrees;
    }
    void Close() override { Add("close"); }

    bool bAgrees = true;

private:
    void Add(const std::string& theLine) { itsLog.push_back(itsName + " " + theLine); }
    std::vector<std::string>& itsLog;
    std::string itsName;
};

class ShellTest : public testing::Test {
protected:
    void SetUp() override
    {
        OpenAppResources();
        Shell().itsMainWindow = &itsMain;
    }

    // One idle pass, theMilliseconds after the last.
    void Tick(unsigned theMilliseconds)
    {
        itsHost.itsNow += uint64_t(theMilliseconds) * 1000;
        Shell().IdleTick();
    }

    // The shell outlives every test: what one sets, the next must not find.
    CScopedGlobal<CWindow*> itsMainWindow { Shell().itsMainWindow };
    CScopedGlobal<CWindow*> itsCommandTarget { Shell().itsCommandTarget };
    CScopedGlobal<bool> itsQuitPending { Shell().bQuitPending };
    CScopedGlobal<bool> itsQuitting { Shell().bQuitting };
    CScopedGlobal<bool> itsPopUpTracking { Shell().bPopUpTracking };
    CTestHost itsHost;
    std::vector<std::string> itsLog;
    CLoggingWindow itsMain { itsLog, "main" };
};

TEST_F(ShellTest, PostedMessagesComeOutNewestFirstAndOnlyToWindowsThatAreThere)
{
    CLoggingWindow other(itsLog, "other");
    PostWindowMessage(&itsMain, 12, 137, 0);
    PostWindowMessage(&other, kMsgDeferredCommand, 0x10065, (3L << 16) | 9);
    PostWindowMessage(&itsMain, 200, -1, 7);
    EXPECT_EQ(itsHost.itsWakes, 3);
    EXPECT_TRUE(itsLog.empty()) << "nothing is delivered before the loop runs";
    Shell().DeliverPostedMessages();
    EXPECT_EQ(itsLog,
        (std::vector<std::string> {
            "main message 200 -1 7", "other command 101 3 196617", "main message 12 137 0" }));

    itsLog.clear();
    auto gone = std::make_unique<CLoggingWindow>(itsLog, "gone");
    PostWindowMessage(gone.get(), 12, 1, 0);
    gone.reset();
    Shell().DeliverPostedMessages();
    EXPECT_TRUE(itsLog.empty());
    EXPECT_EQ(Shell().QueuedMessages(), 0u);
}

TEST_F(ShellTest, QuitMessageOnlySetsTheFlagAndWaitsForModalDialogs)
{
    PostWindowMessage(&itsMain, kMsgQuit, 0, 0);
    EXPECT_EQ(Shell().QueuedMessages(), 0u);
    EXPECT_TRUE(Shell().bQuitPending);
    EXPECT_EQ(itsHost.itsLoopQuits, 0);

    CDialog modal(109);
    itsHost.itsModalScript = [&](CDialog& theDialog) {
        EXPECT_TRUE(Shell().IsModalDialogUp());
        Shell().AfterEvent();
        EXPECT_EQ(itsHost.itsLoopQuits, 0) << "the flag waits while a modal dialog is up";
        EXPECT_TRUE(Shell().ProcessCommand(FourCharCode("quit"))) << "refused, but handled";
        theDialog.EndDialog(1);
    };
    modal.DoModal();
    EXPECT_TRUE(itsLog.empty()) << "no quit sequence ran under the modal dialog";
    Shell().AfterEvent();
    EXPECT_EQ(itsHost.itsLoopQuits, 1);
    EXPECT_FALSE(Shell().bQuitPending);
}

TEST_F(ShellTest, TimersFireOncePerTickAtTheTicksResolution)
{
    itsMain.SetWindowTimer(5, 100);
    Tick(50);
    EXPECT_TRUE(itsLog.empty());
    Tick(283); // a third of a second after setting
    Tick(333);
    Tick(333);
    EXPECT_EQ(itsLog, (std::vector<std::string> { "main timer 5", "main timer 5", "main timer 5" }))
        << "a period shorter than the tick fires once per tick";

    itsLog.clear();
    itsMain.SetWindowTimer(5, 1000);
    EXPECT_EQ(Shell().TimerCount(), 1u) << "the same id restarts the timer";
    Tick(999);
    EXPECT_TRUE(itsLog.empty());
    Tick(2);
    EXPECT_EQ(itsLog, (std::vector<std::string> { "main timer 5" }));
    itsMain.KillWindowTimer(5);
    Tick(5000);
    EXPECT_EQ(itsLog.size(), 1u);

    // A timer whose due time wraps around the clock still fires.
    itsLog.clear();
    itsHost.itsNow = UINT64_MAX - 100'000;
    itsMain.SetWindowTimer(1, 200);
    Tick(50);
    EXPECT_TRUE(itsLog.empty());
    Tick(300);
    EXPECT_EQ(itsLog, (std::vector<std::string> { "main timer 1" }));
}

TEST_F(ShellTest, TimersOfGoneWindowsAndOfTheBaseHandlerStop)
{
    auto gone = std::make_unique<CLoggingWindow>(itsLog, "gone");
    gone->SetWindowTimer(1, 10);
    gone->SetWindowTimer(2, 10);
    itsMain.SetWindowTimer(3, 10);
    gone.reset();
    Tick(400);
    EXPECT_EQ(itsLog, (std::vector<std::string> { "main timer 3" }));
    EXPECT_EQ(Shell().TimerCount(), 1u);

    itsMain.KillWindowTimer(3);
    CWindow plain;
    plain.SetWindowTimer(7, 10);
    Tick(400);
    EXPECT_EQ(Shell().TimerCount(), 0u) << "the base handler stops its timer";
}

TEST_F(ShellTest, CommandsGoToTheOverrideElseTheMainWindow)
{
    EXPECT_FALSE(Shell().ProcessCommand(FourCharCode("hide")));
    EXPECT_FALSE(Shell().ProcessCommand(FourCharCode("hido")));
    EXPECT_TRUE(Shell().ProcessCommand(800));
    CLoggingWindow target(itsLog, "target");
    Shell().itsCommandTarget = &target;
    EXPECT_TRUE(Shell().ProcessCommand(801));
    Shell().bPopUpTracking = true;
    EXPECT_FALSE(Shell().ProcessCommand(802)) << "not while a pop-up menu is tracked";
    EXPECT_EQ(itsLog, (std::vector<std::string> { "main command 800 0 0", "target command 801 0 0" }));
}

TEST_F(ShellTest, EditCommandsActOnTheFocusedEditableText)
{
    CDialog dialog(150);
    ASSERT_TRUE(dialog.Build());
    ControlEntry field;
    field.itsKind = kKindEditText;
    field.itsItemId = 900;
    ControlEntry& edit = dialog.AddEntry(field);
    ControlEntry& label = *dialog.FindEntry(127);
    itsHost.itsFrontWindow = &dialog;

    dialog.SetFocus(&label);
    EXPECT_TRUE(Shell().ProcessCommand(FourCharCode("copy"))) << "no edit text: the main window gets it";
    dialog.SetFocus(&edit);
    for (uint32_t command : { FourCharCode("undo"), FourCharCode("redo"), FourCharCode("cut "),
             FourCharCode("copy"), FourCharCode("past"), FourCharCode("sall") })
        EXPECT_TRUE(Shell().ProcessCommand(command));
    EXPECT_EQ(static_cast<CRecordingControlView*>(edit.itsView)->itsCalls.back(), "edit:sall");
    EXPECT_EQ(itsLog, (std::vector<std::string> { "main command 1668247673 0 0" }));
}

TEST_F(ShellTest, QuitSequenceClosesWindowsUntilOneRefuses)
{
    CLoggingWindow second(itsLog, "second");
    CLoggingWindow third(itsLog, "third");
    second.bAgrees = false;
    Shell().RunQuitSequence();
    EXPECT_EQ(
        itsLog, (std::vector<std::string> { "main query", "main query", "main close", "second query" }));
    EXPECT_FALSE(Shell().bQuitting);

    itsLog.clear();
    itsMain.bAgrees = false;
    Shell().RunQuitSequence();
    EXPECT_EQ(itsLog, (std::vector<std::string> { "main query" }));
}

} // namespace
