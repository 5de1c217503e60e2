// The wizard with the keyboard alone: Tab through every control in reading
// order, Return on the default or the focused button, arrows in the folder
// list, Escape to leave. No click anywhere.

#include "WizardFixture.h"

namespace {

class WizardKeyboard : public WizardWindow {
protected:
    CGlobalWin& OpenByKeys()
    {
        CGlobalWin& window = Open();
        window.DoCommand(kCommandSplashDone, 0, 0);
        QApplication::setActiveWindow(Window());
        return window;
    }

    // As the desktop does: each key goes to the widget that has the focus.
    static void Key(Qt::Key theKey, Qt::KeyboardModifiers theModifiers = Qt::NoModifier)
    {
        // The window manager gives the window back its activation when an alert closes.
        if (!QApplication::activeWindow())
            QApplication::setActiveWindow(Window());
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Window(), theKey, theModifiers);
    }

    // The item whose widget (or a widget inside it) has the focus; 0 for none.
    static int Focused()
    {
        for (QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget())
            for (const auto& entry : gGlobalWin->Entries())
                if (entry->itsItemId > 0 && WidgetOf(*entry) == widget)
                    return entry->itsItemId;
        return 0;
    }

    // Tabs until theItem has the focus; false when a whole round misses it.
    static bool TabTo(int theItem, Qt::KeyboardModifiers theModifiers = Qt::NoModifier)
    {
        for (int i = 0; i < 12 && Focused() != theItem; ++i)
            Key(Qt::Key_Tab, theModifiers);
        return Focused() == theItem;
    }

    // The items Tab (or Shift+Tab) visits from the focus now, until it comes back.
    static std::vector<int> TabRound(Qt::KeyboardModifiers theModifiers = Qt::NoModifier)
    {
        std::vector<int> visited;
        for (int i = 0; i < 12; ++i) {
            Key(Qt::Key_Tab, theModifiers);
            if (!visited.empty() && Focused() == visited.front())
                break;
            visited.push_back(Focused());
        }
        return visited;
    }
};

} // namespace

TEST_F(WizardKeyboard, KeysAloneLeadThroughThePagesToAnUpdatedCopy)
{
    Install("Patchwell 5");
    Install("Patchwell 5 Studio");
    CGlobalWin& window = OpenByKeys();
    AnswerQuestionsWith("No"); // a key that reached Cancel by mistake asks, and is caught below
    const TreeSnapshot newBuild = SnapshotTree(itsTemp / "builds/5.0.2/Patchwell 5/Patchwell 5.app");

    // Reading order, the disabled Back left out, and Shift+Tab the way back.
    ASSERT_TRUE(TabTo(kItemNext));
    EXPECT_EQ(TabRound(), (std::vector<int> { kItemCancel, kItemReadme, kItemNext }));
    EXPECT_EQ(TabRound(Qt::ShiftModifier), (std::vector<int> { kItemNext, kItemReadme, kItemCancel }));
    Key(Qt::Key_Return);
    ASSERT_EQ(window.GetCurrentPage(), kPageFolder) << "Return presses Next, the default";
    EXPECT_EQ(Focused(), kItemFolderList) << "the focus moves to the top of the new page";
    Key(Qt::Key_Escape);
    EXPECT_EQ(itsQuestions, std::vector<std::string> { "Are you sure you want to exit the update?" });
    EXPECT_EQ(window.GetCurrentPage(), kPageFolder) << "No to Escape's question stays";
    itsQuestions.clear();

    Key(Qt::Key_Return);
    EXPECT_EQ(window.GetCurrentPage(), kPageFolder) << "Next is off until a copy is chosen";
    EXPECT_EQ(window.GetFolderList().GetSelectedID(), 0) << "the focus alone chooses nothing";
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    EXPECT_EQ(window.GetTargetFolder().GetText(), Installed("Patchwell 5"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focused(), kItemAdd) << "Tab leaves the list";
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    Key(Qt::Key_Return);
    ASSERT_EQ(window.GetCurrentPage(), kPageConfirm);
    EXPECT_EQ(Focused(), kItemNext) << "the list hands its focus to Next, not to Back";

    // Back by Shift+Tab and Space, then on again by Return.
    ASSERT_TRUE(TabTo(kItemBack, Qt::ShiftModifier));
    Key(Qt::Key_Space);
    ASSERT_EQ(window.GetCurrentPage(), kPageFolder);
    Key(Qt::Key_Return);
    ASSERT_EQ(window.GetCurrentPage(), kPageWelcome) << "Return presses the focused button";
    Key(Qt::Key_Return);
    Key(Qt::Key_Return);
    ASSERT_EQ(window.GetCurrentPage(), kPageConfirm);
    Key(Qt::Key_Return);
    ASSERT_EQ(window.GetCurrentPage(), kPageDone) << Text(kItemMessage);
    EXPECT_EQ(SnapshotTree(Installed() + "/Patchwell 5.app"), newBuild);
    EXPECT_NE(Focused(), 0) << "the focus stays visible on a control";
    Key(Qt::Key_Return);
    EXPECT_TRUE(bGlobalClosed) << "Return presses Close once the update is done";
    EXPECT_TRUE(itsQuestions.empty());
}

// Escape, answered No, is the walk's above.
TEST_F(WizardKeyboard, EscapeOrTheCancelButtonByKeyLeaves)
{
    Install("Patchwell 5");
    OpenByKeys();
    AnswerQuestionsWith("Yes");
    ASSERT_TRUE(TabTo(kItemCancel));
    Key(Qt::Key_Space);
    EXPECT_EQ(itsQuestions, std::vector<std::string> { "Are you sure you want to exit the update?" });
    EXPECT_TRUE(bGlobalClosed);
}
