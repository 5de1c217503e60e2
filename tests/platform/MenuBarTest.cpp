// Menu bars from resources, and the commands that apply when a menu opens.

#include "platform/MenuBar.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/mdialog.h"
#include "support/ScopedGlobal.h"
#include "support/TestHost.h"

#include <gmock/gmock.h>

#include <cstring>

using ::testing::HasSubstr;

namespace {

const char kBundle[] = R"({
  "MBAR": { "130": [128, 129, 404], "131": [140] },
  "MENU": {
    "128": { "title": "\u0014", "items": [ { "text": "About", "command": "abou" } ] },
    "129": { "title": "Edit |X|", "id": 7, "items": [
        { "text": "Copy", "key": "C", "command": "copy" },
        { "text": "-" },
        { "text": "Grid", "key": " ", "command": 900, "mark": "x" },
        { "text": "Colours", "submenu": 133 } ] },
    "133": { "title": "Colours", "items": [ { "text": "Red", "command": 901 }, { "text": "Again", "submenu": 133 } ] },
    "140": { "title": "x", "items": [] }
  }
})";

class MenuBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        AddTextSubstitution("|X|", "menu");
        ASSERT_TRUE(itsFile.OpenData(kBundle, std::strlen(kBundle), "menus.json"));
    }
    CResFile itsFile; // opened on the bundle above
};

TEST_F(MenuBarTest, TreeFromTheResourcesItsCommandsAndItsDump)
{
    CMenuBar bar;
    ASSERT_TRUE(bar.Load(130, &itsFile));
    ASSERT_EQ(bar.Menus().size(), 2u) << "menu 404 does not exist and is left out";
    const CMenuNode& apple = *bar.Menus()[0];
    EXPECT_TRUE(apple.bAppleMenu);
    const CMenuNode& edit = *bar.Menus()[1];
    EXPECT_FALSE(edit.bAppleMenu);
    EXPECT_STREQ(edit.itsTitle.GetText(), "Edit menu") << "titles pass through the substitutions";
    EXPECT_EQ(edit.itsMenuId, 7);
    EXPECT_EQ(edit.itsResourceId, 129);
    ASSERT_EQ(edit.itsChildren.size(), 4u);
    EXPECT_EQ(edit.itsChildren[0]->itsKey, 'C');
    EXPECT_EQ(edit.itsChildren[0]->itsIndex, 1);
    EXPECT_EQ(edit.itsChildren[2]->itsKey, 0) << "a key of 32 or less is none";
    EXPECT_EQ(edit.itsChildren[2]->itsMark, 'x');
    const CMenuNode& colours = *edit.itsChildren[3];
    ASSERT_EQ(colours.itsChildren.size(), 2u);
    EXPECT_EQ(colours.itsResourceId, 133);
    EXPECT_TRUE(colours.itsChildren[1]->itsChildren.empty()) << "a submenu never contains itself";
    EXPECT_EQ(bar.FindCommand(901), colours.itsChildren[0].get());
    EXPECT_EQ(bar.FindCommand(FourCharCode("copy")), edit.itsChildren[0].get());
    EXPECT_EQ(bar.FindCommand(4711), nullptr);

    bar.Check(900, 1);
    EXPECT_EQ(bar.FindCommand(900)->itsCheck, 1);
    bar.EnableCommand(FourCharCode("copy"), false);
    EXPECT_FALSE(bar.FindCommand(FourCharCode("copy"))->bEnabled);
    const std::string dump = bar.Dump().GetText();
    EXPECT_EQ(dump.substr(0, dump.find('\r', dump.find('\r') + 1) + 1),
        "\x14 (cmd=0, menuid=128, res=128, handle=0, index=0, 1 subItems)\r"
        "    About (cmd=1633841013, menuid=0, res=0, handle=0, index=1, 0 subItems)\r");
    EXPECT_THAT(dump,
        HasSubstr("\r    Colours (cmd=0, menuid=133, res=133, handle=0, index=4, 2 subItems)\r"
                  "        Red (cmd=901, menuid=0, res=0, handle=0, index=1, 0 subItems)\r"));

    CMenuBar other;
    ASSERT_TRUE(other.Load(131, &itsFile));
    EXPECT_FALSE(other.Menus()[0]->bAppleMenu) << "a one-character title other than 0x14 is a plain menu";
    CMenuBar missing;
    EXPECT_FALSE(missing.Load(999, &itsFile));
    EXPECT_TRUE(missing.Menus().empty());
}

// Records what the shell asks of the main window.
class CMenuWindow : public CWindow {
public:
    void UpdateMenus(CMenuBar* pMenuBar) override
    {
        ++itsUpdates;
        pMenuBar->EnableCommand(900, false);
    }
    int itsUpdates = 0;
};

TEST_F(MenuBarTest, MenusOpenWithTheCommandsThatApply)
{
    CTestHost host;
    OpenAppResources();
    CMenuBar bar;
    ASSERT_TRUE(bar.Load(130, &itsFile));
    CMenuWindow main;
    CScopedGlobal<CWindow*> mainWindow(Shell().itsMainWindow, &main);

    Shell().EnableMenus(bar, false);
    EXPECT_FALSE(bar.FindCommand(FourCharCode("copy"))->bEnabled) << "no text has the focus";
    EXPECT_EQ(main.itsUpdates, 1);
    EXPECT_FALSE(bar.FindCommand(900)->bEnabled);

    CDialog dialog(109);
    ASSERT_TRUE(dialog.Build());
    ControlEntry field;
    field.itsKind = kKindEditText;
    field.itsItemId = 60;
    dialog.SetFocus(&dialog.AddEntry(field));
    host.itsFrontWindow = &dialog;
    Shell().EnableMenus(bar, false);
    EXPECT_TRUE(bar.FindCommand(FourCharCode("copy"))->bEnabled);
    EXPECT_EQ(main.itsUpdates, 1) << "an edit text in front decides alone";

    bar.EnableCommand(FourCharCode("copy"), false);
    Shell().EnableMenus(bar, true);
    EXPECT_TRUE(bar.FindCommand(FourCharCode("copy"))->bEnabled)
        << "key equivalents of the standard commands work";
}

} // namespace
