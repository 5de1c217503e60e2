// The list view's item IDs, selection, notification and scrolling.

#include "platform/ListView.h"
#include "platform/Resources.h"
#include "platform/mdialog.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A dialog that records the commands its list view sends.
class CListDialog : public CDialog {
public:
    CListDialog()
        : CDialog(109)
    {
        Build();
        MoveItem(127, { 40, 20, 140, 460 }); // five rows of 20 pixels
    }
    void DoCommand(int theId, int theCode, long) override
    {
        itsCommands.push_back(std::to_string(theId) + "/" + std::to_string(theCode));
    }
    std::vector<std::string> itsCommands;
};

class CNotifiedList : public CListView {
public:
    using CListView::CListView;
    void ItemNotification(int theCode, CListViewItem* pItem, long) override
    {
        itsNotes.push_back(std::to_string(theCode) + ":" + std::to_string(pItem->itsId));
    }
    std::vector<std::string> itsNotes;
};

class ListViewTest : public testing::Test {
protected:
    // The dialog comes from the application's own bundle, opened first.
    bool bResources = (OpenAppResources(), true);
    CTestHost itsHost;
    CListDialog itsDialog;
    CNotifiedList itsList { itsDialog, 127 };
};

TEST_F(ListViewTest, IdsNestingPositionAndText)
{
    EXPECT_EQ(itsList.AddItem(0, "one"), 11);
    EXPECT_EQ(itsList.AddItem(1, "two"), 12);
    EXPECT_EQ(itsList.AddItem(11, "one.a"), 13);
    EXPECT_EQ(itsList.AddItem(4711, "no such parent: top level"), 14);
    EXPECT_EQ(itsList.RowCount(), 4);
    EXPECT_STREQ(itsList.ItemAtRow(1)->itsText.GetText(), "one.a") << "children follow their parent";
    EXPECT_EQ(itsList.ItemAtRow(3)->itsParent, nullptr);
    itsList.RemoveAll();
    EXPECT_EQ(itsList.RowCount(), 0);
    EXPECT_EQ(itsList.AddItem(0, "again"), 3);
    EXPECT_EQ(itsList.AddItem(3, "a1"), 4);
    EXPECT_EQ(itsList.AddItem(3, "a0", 0), 5) << "before a1";
    EXPECT_EQ(itsList.AddItem(5, "a0x"), 6);
    EXPECT_EQ(itsList.FindItem(6)->itsParent->itsId, 5);
    EXPECT_EQ(itsList.RowOf(4), 3);
    EXPECT_STREQ(itsList.GetItemText(5).GetText(), "a0");
    EXPECT_STREQ(itsList.GetItemText(99).GetText(), "") << "an unknown ID has the empty text";
    itsList.bShowIds = true;
    EXPECT_STREQ(itsList.RowText(*itsList.FindItem(4)).GetText(), "(4)a1");
    itsList.RemoveItem(5);
    EXPECT_EQ(itsList.FindItem(6), nullptr) << "children go with their row";
    EXPECT_EQ(itsList.RowCount(), 2);
}

TEST_F(ListViewTest, SelectingByProgramTellsNobodyAClickNotifiesEvenTheSelectedRow)
{
    itsList.AddItem(0, "a");
    itsList.AddItem(0, "b");
    itsList.SelectItem(11, 1);
    EXPECT_EQ(itsList.GetSelectedID(), 11);
    EXPECT_TRUE(itsList.FindItem(11)->bSelected);
    itsList.SelectItem(12, 1);
    EXPECT_TRUE(itsList.FindItem(11)->bSelected) << "only the named row changes";
    itsList.SelectItem(12, 2);
    EXPECT_EQ(itsList.GetSelectedID(), 12) << "another mode keeps a selected row";
    itsList.SelectItem(12, 0);
    EXPECT_EQ(itsList.GetSelectedID(), 0);
    itsList.SelectItem(12, 2);
    EXPECT_EQ(itsList.GetSelectedID(), 0) << "and leaves an unselected one";
    itsList.SelectItem(11, 0);
    EXPECT_TRUE(itsList.itsNotes.empty());
    EXPECT_TRUE(itsDialog.itsCommands.empty());

    itsList.OnMouseDown({ 5, 25 }, 101, 1); // the second row
    EXPECT_EQ(itsList.GetSelectedID(), 12);
    itsList.OnMouseDown({ 5, 30 }, 101, 1);
    itsList.OnMouseDown({ 5, 5 }, 101, 1);
    EXPECT_FALSE(itsList.FindItem(12)->bSelected) << "a click clears the previous selection";
    itsList.OnMouseDown({ 5, 95 }, 101, 1); // beside every row
    EXPECT_EQ(itsList.GetSelectedID(), 11);
    EXPECT_EQ(itsList.itsNotes, (std::vector<std::string> { "14:12", "14:12", "14:11" }));
    EXPECT_EQ(itsDialog.itsCommands, (std::vector<std::string> { "127/1", "127/1", "127/1" }));
}

TEST_F(ListViewTest, ScrollingFollowsTheTable)
{
    for (int i = 0; i < 12; ++i)
        itsList.AddItem(0, "row");
    ASSERT_EQ(itsList.VisibleRows(), 5);
    EXPECT_EQ(itsList.LastScrollableRow(), 7);
    itsList.OnVScroll(2, 20, 0);
    EXPECT_EQ(itsList.GetTopRow(), 0) << "never above the first row";
    itsList.OnVScroll(2, 21, 0);
    EXPECT_EQ(itsList.GetTopRow(), 1);
    EXPECT_EQ(itsList.GetOrigin(), -20);
    itsList.OnVScroll(2, 23, 0);
    EXPECT_EQ(itsList.GetTopRow(), 5);
    itsList.OnVScroll(2, 129, 7);
    itsList.OnVScroll(2, 21, 0);
    EXPECT_EQ(itsList.GetTopRow(), 7) << "never past the last scrollable row";
    itsList.OnVScroll(2, 4, 3);
    itsList.OnVScroll(2, 22, 0);
    EXPECT_EQ(itsList.GetTopRow(), 0) << "page up from row 3 with 5 rows";
    EXPECT_EQ(itsList.GetOrigin(), 0);
    itsList.OnVScroll(2, 129, 6);
    itsList.OnVScroll(2, 1, 0);
    EXPECT_EQ(itsList.GetTopRow(), 0);

    itsList.OnMouseWheel({ 0, 0 }, -1, 0);
    itsList.OnMouseWheel({ 0, 0 }, -1, 0);
    EXPECT_EQ(itsList.GetTopRow(), 2);
    itsList.OnMouseWheel({ 0, 0 }, 0, 0);
    itsList.OnMouseWheel({ 0, 0 }, 1, 0);
    EXPECT_EQ(itsList.GetTopRow(), 1);
    itsList.OnMouseDown({ 5, 5 }, 101, 1);
    EXPECT_EQ(itsList.GetSelectedID(), 12) << "clicks hit the rows as scrolled";
}

} // namespace
