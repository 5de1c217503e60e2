// Windows: frames, the keyboard rules in their order, mouse codes. The rules
// of a dialog without editable texts, whose Tab is the desktop's, are WizardKeyboard's.

#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/mdialog.h"
#include "support/ScopedGlobal.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A dialog that records what the keyboard rules call.
class CKeyDialog : public CDialog {
public:
    CKeyDialog()
        : CDialog(109)
    {
        Build();
        for (int id : { 60, 61, 62 }) {
            ControlEntry edit;
            edit.itsKind = id == 61 ? kKindEditMultiLineText : kKindEditText;
            edit.itsItemId = id;
            AddEntry(edit);
        }
    }
    void DoCommand(int theId, int theCode, long) override
    {
        itsLog.push_back("command " + std::to_string(theId) + "/" + std::to_string(theCode));
    }
    void OnKeyDown(int theKeyCode, int theCharCode, int theModifiers, int) override
    {
        itsLog.push_back("keydown " + std::to_string(theKeyCode) + "/" + std::to_string(theCharCode) + "/"
            + std::to_string(theModifiers));
    }
    bool QueryQuit() override
    {
        itsLog.push_back("query");
        return bAgrees;
    }
    void Close() override { itsLog.push_back("close"); }

    CRecordingControlView& ViewOf(int theItemId)
    {
        return *static_cast<CRecordingControlView*>(FindEntry(theItemId)->itsView);
    }

    bool bAgrees = true;
    std::vector<std::string> itsLog;
};

using WindowTest = TestHostFixture;

TEST_F(WindowTest, ZeroFrameReachesNearlyToTheScreensEdgesAndFramesStayOnIt)
{
    CWindow window;
    ASSERT_TRUE(window.Create(nullptr));
    EXPECT_EQ(window.GetFrame(), (CRect { 0, 0, 750, 1260 }));

    // Constrained to the screen, it moves back or shrinks.
    window.SetFrame({ 700, 1200, 900, 1400 });
    window.ConstrainToScreen(1);
    EXPECT_EQ(window.GetFrame(), (CRect { 600, 1080, 800, 1280 })) << "moved back whole";
    window.SetFrame({ 700, 1200, 900, 1400 });
    window.ConstrainToScreen(0);
    EXPECT_EQ(window.GetFrame(), (CRect { 700, 1200, 800, 1280 })) << "shrunk to the edges";
    window.SetFrame({ 900, -30, 1000, 70 });
    window.ConstrainToScreen(1);
    EXPECT_EQ(window.GetFrame(), (CRect { 700, 0, 800, 100 })) << "wholly below comes back";
}

TEST_F(WindowTest, ReturnGoesToTheDefaultItemElseToTheFocusedText)
{
    CKeyDialog dialog;
    dialog.SetDefaultItem(1);
    dialog.SetFocus(dialog.FindEntry(60));
    EXPECT_TRUE(dialog.HandleKey({ kKeyReturn, 13, 0 }));
    EXPECT_EQ(dialog.itsLog, (std::vector<std::string> { "command 1/0", "command 60/12" }))
        << "no OnKeyDown after a command; the edit text hears of a possible change";
    EXPECT_EQ(dialog.ViewOf(60).itsCalls.back(), "focus") << "the text did not get the key";

    dialog.itsLog.clear();
    dialog.HandleKey({ kKeyReturn, 13, kShiftKey });
    EXPECT_EQ(dialog.ViewOf(60).itsCalls.back(), "key:36/0") << "shift-Return reaches the text without shift";
    EXPECT_EQ(dialog.itsLog, (std::vector<std::string> { "keydown 36/13/0", "command 60/12" }));

    // Keys the focused text takes still reach OnKeyDown.
    dialog.itsLog.clear();
    dialog.SetFocus(dialog.FindEntry(61));
    EXPECT_TRUE(dialog.HandleKey({ 0, 'a', 0 }));
    EXPECT_EQ(dialog.ViewOf(61).itsCalls.back(), "key:0/0");
    EXPECT_EQ(dialog.itsLog, (std::vector<std::string> { "keydown 0/97/0", "command 61/12" }));
}

TEST_F(WindowTest, TabCyclesThroughEditableEntriesAndClearsWhenNoneQualifies)
{
    CKeyDialog dialog;
    dialog.HandleKey({ kKeyTab, 9, 0 });
    EXPECT_EQ(dialog.GetFocus()->itsItemId, 60);
    dialog.HandleKey({ kKeyTab, 9, 0 });
    EXPECT_EQ(dialog.GetFocus()->itsItemId, 61);
    dialog.HandleKey({ kKeyTab, 9, kShiftKey });
    EXPECT_EQ(dialog.GetFocus()->itsItemId, 60);
    dialog.HandleKey({ kKeyTab, 9, kShiftKey });
    EXPECT_EQ(dialog.GetFocus()->itsItemId, 62) << "wraps around";
    dialog.EnableItem(61, false);
    dialog.HandleKey({ kKeyTab, 9, 0 });
    dialog.HandleKey({ kKeyTab, 9, 0 });
    EXPECT_EQ(dialog.GetFocus()->itsItemId, 62) << "a disabled entry is skipped";
    for (int id : { 60, 61, 62 })
        dialog.ShowItem(id, false);
    dialog.HandleKey({ kKeyTab, 9, 0 });
    EXPECT_EQ(dialog.GetFocus(), nullptr);
}

TEST_F(WindowTest, EscapeAndCommandPeriodCancelCommandWClosesCommandQQuits)
{
    CKeyDialog dialog;
    dialog.HandleKey({ kKeyEscape, 27, 0 });
    EXPECT_EQ(dialog.itsLog, (std::vector<std::string> { "keydown 53/27/0" })) << "no cancel item yet";
    dialog.itsLog.clear();
    dialog.SetCancelItem(2);
    dialog.HandleKey({ kKeyEscape, 27, 0 });
    dialog.HandleKey({ 0, '.', kCommandKey });
    EXPECT_EQ(dialog.itsLog, (std::vector<std::string> { "command 2/0", "command 2/0" }));

    dialog.itsLog.clear();
    dialog.bAgrees = false;
    EXPECT_TRUE(dialog.HandleKey({ 0, 'w', kCommandKey }));
    EXPECT_EQ(dialog.itsLog, (std::vector<std::string> { "query" })) << "a refusal leaves it open";
    dialog.bAgrees = true;
    dialog.HandleKey({ 0, 'w', kCommandKey });
    EXPECT_EQ(dialog.itsLog.back(), "close");

    dialog.itsLog.clear();
    CScopedGlobal<CWindow*> mainWindow(Shell().itsMainWindow, &dialog);
    dialog.HandleKey({ 0, 'q', kCommandKey });
    EXPECT_EQ(dialog.itsLog, (std::vector<std::string> { "query", "query", "close" }));
}

TEST(MouseCodes, ButtonsClicksAndKeyState)
{
    // { button, clicks, keys, code }; a control-click is a right click.
    const int codes[][4] = { { kLeftButton, 1, 0, 101 }, { kRightButton, 1, 0, 100 },
        { kMiddleButton, 1, 0, 102 }, { kLeftButton, 2, 0, 113 }, { kRightButton, 2, 0, 112 },
        { kMiddleButton, 2, 0, 114 }, { kLeftButton, 0, 0, 105 }, { kMiddleButton, 0, 0, 106 },
        { kLeftButton, 1, kControlKey, 100 }, { kLeftButton, 0, kControlKey, 104 } };
    for (const auto& [button, clicks, keys, code] : codes)
        EXPECT_EQ(MouseMessageCode(button, clicks, keys), code) << button << " " << clicks << " " << keys;
    EXPECT_EQ(MouseKeyState(1, kControlKey), 10);
    EXPECT_EQ(MouseKeyState(1, 0), 1);
    EXPECT_EQ(MouseKeyState(4, kShiftKey), 20);
    EXPECT_EQ(MouseKeyState(2, kCommandKey | kOptionKey), 98);
}

} // namespace
