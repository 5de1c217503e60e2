// Dialogs, controls and alerts on the test host.

#include "platform/DialogTemplate.h"
#include "platform/MessageBox.h"
#include "platform/OverwriteDialog.h"
#include "platform/Resources.h"
#include "platform/Shell.h"
#include "platform/mdialog.h"
#include "support/ScopedGlobal.h"
#include "support/TempFolder.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using DialogTest = TestHostFixture;

TEST(ControlKinds, TextRulesByKind)
{
    const std::tuple<int, const char*, const char*> cases[] = {
        { kKindStaticText, "Save && Quit", "Save & Quit" },
        { kKindLabel, "&File", "File" },
        { kKindCombo, "a&", "a" },
        { kKindPushButton, "&Yes", "&Yes" }, // buttons keep their text
        { kKindEditText, "one\ntwo", "one two" },
        { kKindMultiLineText, "one\r\ntwo", "one\r two" },
        { kKindEditMultiLineText, "\n", " " },
        { kKindStaticText, "one\ntwo", "one\ntwo" },
    };
    for (const auto& [kind, text, shown] : cases)
        EXPECT_STREQ(DisplayText(kind, text).GetText(), shown) << kind << " " << text;
}

TEST_F(DialogTest, OpenFlagResultSettersAfterTheEndAndCancelling)
{
    CDialog dialog(109);
    EXPECT_FALSE(dialog.IsOpen());
    ASSERT_TRUE(dialog.Build());
    EXPECT_TRUE(dialog.IsOpen()) << "open once built, so InitDialog can set items";
    EXPECT_EQ(dialog.GetResult(), 2);
    itsHost.itsModalScript = [&](CDialog& theDialog) {
        EXPECT_TRUE(theDialog.IsInModalLoop());
        theDialog.DoCommand(127, 0, 0); // a text: nothing ends
        EXPECT_TRUE(theDialog.IsOpen());
        theDialog.DoCommand(7, 0, 0); // the No button
    };
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_EQ(itsHost.itsModalEnds, 1);
    EXPECT_FALSE(dialog.IsOpen());
    dialog.SetItemText(127, "late");
    EXPECT_TRUE(dialog.FindEntry(127)->itsText.IsEmpty());

    itsHost.itsModalScript = [](CDialog& theDialog) { theDialog.Close(); };
    EXPECT_EQ(CDialog(109).DoModal(), 2) << "closing is cancelling";
    CDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), 2);
    EXPECT_EQ(itsHost.AlertTexts(), (std::vector<std::string> { "Dialog Resource 4242 not found" }));
    EXPECT_FALSE(missing.IsOpen());
}

TEST_F(DialogTest, ItemsKeepTheirBoundsTextsAndRemovedIds)
{
    CDialog dialog(109);
    ASSERT_TRUE(dialog.Build());
    EXPECT_EQ(dialog.GetItemBounds(1), (CRect { 120, 288, 144, 372 }));
    CDialogItemDescription item;
    item.itsKind = kKindEditText;
    item.itsItemId = 50;
    item.itsBounds = { 10, 20, 60, 200 };
    dialog.AddEntry(item, 0);
    EXPECT_EQ(dialog.GetItemBounds(50), (CRect { 13, 20, 32, 200 })) << "an edit text has its fixed height";

    // The text is stored as given and shown by its kind's rule.
    dialog.SetItemText(127, "Fish && Chips &x");
    EXPECT_STREQ(dialog.FindEntry(127)->itsText.GetText(), "Fish && Chips &x");
    EXPECT_EQ(static_cast<CRecordingControlView*>(dialog.FindEntry(127)->itsView)->itsCalls.back(),
        "text:Fish & Chips x");
    EXPECT_STREQ(dialog.GetItemText(127).GetText(), "") << "the resource's text";

    dialog.RemoveItem(129);
    EXPECT_EQ(dialog.FindEntry(129), nullptr);
    ASSERT_NE(dialog.FindEntry(-129), nullptr) << "a removed item's id turns negative";
    EXPECT_EQ(dialog.FindEntry(-129)->itsView, nullptr);
}

TEST_F(DialogTest, PlacementClearsTwiceTheMenuBar)
{
    itsHost.itsMenuBarHeight = 22;
    CDialog dialog(109); // its top is 120: below 44, it stays
    ASSERT_TRUE(dialog.Build());
    EXPECT_EQ(dialog.GetFrame().top, 120);
    itsHost.itsMenuBarHeight = 65;
    CDialog lower(109);
    ASSERT_TRUE(lower.Build());
    EXPECT_EQ(lower.GetFrame().top, 130);
    EXPECT_EQ(lower.GetFrame().Height(), 200);
}

// A language file made before a page was added keeps its own pages, and the
// new page comes from the application's resources instead of showing empty.
TEST_F(DialogTest, APageTheDialogsFileLacksComesFromTheNextFile)
{
    TempFolder temp;
    const std::string language = temp.Write("language.json",
        R"({ "DLOG": { "150": { "bounds": [40, 40, 520, 680], "title": "Aktualisierung" } },
             "DITL": { "150": [], "152": [ { "rect": [52, 24, 72, 616], "type": "text", "text": "Willkommen",
                                             "kind": 16, "id": 181, "shown": true } ] } })");
    CResFile file(language.c_str());
    ASSERT_TRUE(file.IsOpen());
    CScopedGlobal<CResFile*> installed(gLanguageResFile, &file);
    CDialog dialog(150);
    ASSERT_TRUE(dialog.Build());
    dialog.AddTabPage(152);
    dialog.AddTabPage(155);
    EXPECT_STREQ(dialog.FindEntry(181)->itsText.GetText(), "Willkommen");
    EXPECT_EQ(dialog.FindEntry(157), nullptr) << "the language file's own page is taken whole";
    EXPECT_NE(dialog.FindEntry(169), nullptr) << "the page it lacks comes from the application";
}

TEST_F(DialogTest, OverwriteQuestionOffersAllFileAnswersOnlyForSeveralEntries)
{
    itsHost.itsModalScript = [](CDialog& theDialog) {
        EXPECT_STREQ(theDialog.FindEntry(127)->itsText.GetText(), "/dest/a.txt");
        EXPECT_TRUE(theDialog.FindEntry(129)->bShown);
        theDialog.DoCommand(129, 0, 0);
    };
    EXPECT_EQ(Host().AskOverwrite("/dest/a.txt", 3), 129);

    itsHost.itsModalScript = [](CDialog& theDialog) {
        for (int hidden : { 123, 128, 129, 2 })
            EXPECT_FALSE(theDialog.FindEntry(hidden)->bShown) << hidden;
        EXPECT_TRUE(theDialog.FindEntry(7)->bShown);
        EXPECT_TRUE(theDialog.HandleKey(CKeyEvent { kKeyEscape, 27, 0 }));
    };
    EXPECT_EQ(Host().AskOverwrite("/dest/a.txt", 1), 7) << "Escape keeps the file when there is no Cancel";

    itsHost.itsModalScript = [](CDialog& theDialog) { theDialog.HandleKey(CKeyEvent { kKeyReturn, 13, 0 }); };
    EXPECT_EQ(Host().AskOverwrite("/dest/a.txt", 2), 1) << "Return is Yes";
}

struct AlertCase {
    int itsFlags;
    int itsKind;
    std::vector<std::string> itsButtons;
    std::vector<int> itsResults; // by button
};

TEST_F(DialogTest, MessageBoxFlagsButtonsKindsAndResults)
{
    const AlertCase cases[] = {
        { 0, kAlertCaution, { "OK" }, { 1 } },
        { 4, kAlertPlain, { "Yes", "No" }, { 6, 7 } },
        { 12 | 0x200, kAlertStop, { "Yes", "No", "Cancel" }, { 6, 7, 2 } },
        { 10 | 0x800, kAlertPlain, { "OK", "Cancel" }, { 1, 2 } },
        { 0x2000 | 0x100, kAlertCaution, { "OK" }, { 1 } },
        { 4 | 0x400, kAlertCaution, { "Yes", "No" }, { 6, 7 } },
    };
    for (const AlertCase& test : cases) {
        const CAlert alert = MakeAlert("Caption", "Text", test.itsFlags);
        EXPECT_EQ(alert.itsKind, test.itsKind) << test.itsFlags;
        ASSERT_EQ(alert.itsButtonCount, static_cast<int>(test.itsButtons.size())) << test.itsFlags;
        for (int i = 0; i < alert.itsButtonCount; ++i) {
            EXPECT_EQ(alert.itsButtons[i].GetText(), test.itsButtons[static_cast<size_t>(i)])
                << test.itsFlags;
            EXPECT_EQ(AlertResult(alert.itsFlags, i + 1), test.itsResults[static_cast<size_t>(i)])
                << test.itsFlags;
        }
        EXPECT_EQ(alert.itsCancelButton, alert.itsButtonCount) << "Escape presses the last button";
    }
    EXPECT_STREQ(MakeAlert("Caption", "Text", 0).Message().GetText(), "Caption\n\nText");
    // MessageBox's caption and the codes it returns are QtTest.MessageBoxReturnsTheCodeOfTheButtonPressed's.
}

} // namespace
