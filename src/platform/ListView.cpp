#include "platform/ListView.h"

#include "platform/Host.h"
#include "platform/mdialog.h"

#include <algorithm>

namespace {

CListViewItem* Next(CListItem* pItem)
{
    return static_cast<CListViewItem*>(pItem ? pItem->GetNext() : nullptr);
}

CListViewItem* First(const CList& theList)
{
    return static_cast<CListViewItem*>(theList.GetHead());
}

// Depth-first: calls theVisit for each row until it answers true.
template <typename Visit> CListViewItem* Walk(const CList& theList, Visit& theVisit, bool bShownOnly)
{
    for (CListViewItem* item = First(theList); item; item = Next(item)) {
        if (theVisit(*item))
            return item;
        if (!bShownOnly || item->bExpanded)
            if (CListViewItem* found = Walk(item->itsChildren, theVisit, bShownOnly))
                return found;
    }
    return nullptr;
}

void DeleteItems(CList& theList)
{
    while (CListItem* item = theList.RemoveHead())
        delete item;
}

} // namespace

CListViewItem::CListViewItem(int theId, const char* theText, CListViewItem* pParent, CListView& theView)
    : itsId(theId)
    , itsText(theText ? theText : "")
    , itsParent(pParent)
    , itsView(theView)
{
}

CListViewItem::~CListViewItem()
{
    DeleteItems(itsChildren);
}

CListView::CListView(CDialog& theDialog, int theItemId)
    : itsDialog(theDialog)
    , itsItemId(theItemId)
{
    itsStyle = kStyleChild;
    ControlEntry* entry = theDialog.FindEntry(theItemId);
    if (entry) {
        itsBounds = entry->itsBounds;
        itsPeer = Host().MakeListView(*this, theDialog, *entry);
    }
}

CListView::~CListView()
{
    itsPeer.reset();
    DeleteItems(itsItems);
}

void CListView::Close()
{
    itsPeer.reset();
}

void CListView::Changed()
{
    if (itsPeer)
        itsPeer->Refresh();
}

int CListView::AddItem(int theParentId, const char* theText, int thePosition)
{
    CListViewItem* parent = theParentId > 1 ? FindItem(theParentId) : nullptr;
    auto* item = new CListViewItem(++itsNextId, theText, parent, *this);
    CList& siblings = parent ? parent->itsChildren : itsItems;
    CListItem* after = nullptr;
    if (parent && thePosition >= 0 && thePosition < siblings.GetCount()) {
        for (int i = 0; i < thePosition; ++i)
            after = after ? after->GetNext() : siblings.GetHead();
        siblings.Insert(item, after);
    } else {
        siblings.Append(item);
    }
    Changed();
    return item->itsId;
}

CListViewItem* CListView::FindItem(int theId) const
{
    auto match = [theId](const CListViewItem& theItem) { return theItem.itsId == theId; };
    return Walk(itsItems, match, false);
}

CListViewItem* CListView::ItemAtRow(int theRow) const
{
    int row = 0;
    auto match = [&row, theRow](const CListViewItem&) { return row++ == theRow; };
    return theRow < 0 ? nullptr : Walk(itsItems, match, false);
}

int CListView::CountRows(bool bShownOnly) const
{
    int count = 0;
    auto counter = [&count](const CListViewItem&) {
        ++count;
        return false;
    };
    Walk(itsItems, counter, bShownOnly);
    return count;
}

int CListView::RowOf(int theId) const
{
    int row = 0;
    auto match = [&row, theId](const CListViewItem& theItem) {
        if (theItem.itsId == theId)
            return true;
        ++row;
        return false;
    };
    return Walk(itsItems, match, false) ? row : -1;
}

Cstring CListView::GetItemText(int theId) const
{
    const CListViewItem* item = FindItem(theId);
    return item ? item->itsText : Cstring();
}

Cstring CListView::RowText(const CListViewItem& theItem) const
{
    if (!bShowIds)
        return theItem.itsText;
    Cstring text;
    text.Format("(%d)%s", theItem.itsId, theItem.itsText.GetText());
    return text;
}

void CListView::SelectItem(int theId, int theMode)
{
    CListViewItem* item = FindItem(theId);
    if (!item)
        return;
    itsAnchorId = theId;
    if (theMode == 1 || (theMode != 0 && item->bSelected)) {
        item->bSelected = true;
        itsSelectedId = theId;
    } else {
        item->bSelected = false;
        itsSelectedId = 0;
    }
    Changed();
}

void CListView::RemoveItem(int theId)
{
    CListViewItem* item = FindItem(theId);
    if (!item)
        return;
    (item->itsParent ? item->itsParent->itsChildren : itsItems).Remove(item);
    delete item; // its children too, which may hold the selection
    if (!FindItem(itsSelectedId))
        itsSelectedId = 0;
    Changed();
}

void CListView::RemoveAll()
{
    DeleteItems(itsItems);
    itsSelectedId = 0;
    itsAnchorId = 0;
    itsTopRow = 0;
    itsOrigin = 0;
    itsNextId = 2;
    Changed();
}

void CListView::Show(bool bVisible)
{
    bShown = bVisible;
    if (itsPeer)
        itsPeer->Show(bVisible);
}

void CListView::Notify(CListViewItem& theItem)
{
    ItemNotification(14, &theItem, 0);
    const int dialogItem = itsItemId < 0 ? -itsItemId : itsItemId;
    itsDialog.DoCommand(dialogItem, 1, 0);
}

void CListView::ClickItem(int theId)
{
    CListViewItem* item = FindItem(theId);
    if (!item)
        return;
    if (CListViewItem* previous = FindItem(itsSelectedId))
        previous->bSelected = false;
    item->bSelected = true;
    itsSelectedId = theId;
    itsAnchorId = theId;
    Changed();
    Notify(*item);
}

void CListView::OnMouseDown(CPoint thePoint, int, int)
{
    if (thePoint.y < 0)
        return;
    const int row = (thePoint.y - itsOrigin) / kRowHeight;
    int index = 0;
    auto match = [&index, row](const CListViewItem&) { return index++ == row; };
    if (CListViewItem* item = Walk(itsItems, match, true))
        ClickItem(item->itsId);
}

int CListView::VisibleRows() const
{
    return std::max(1, itsBounds.Height() / kRowHeight);
}

int CListView::LastScrollableRow() const
{
    return std::max(0, ShownRowCount() - VisibleRows());
}

void CListView::ScrollTo(int theTopRow)
{
    itsTopRow = std::max(0, theTopRow);
    itsOrigin = -itsTopRow * kRowHeight;
    if (itsPeer)
        itsPeer->ScrollToRow(itsTopRow);
}

void CListView::OnVScroll(int, int thePart, int theValue)
{
    int top = itsTopRow;
    switch (thePart) {
    case 20:
        if (top > 0)
            --top;
        break;
    case 21:
        if (top < LastScrollableRow())
            ++top;
        break;
    case 22:
        top = top - VisibleRows() + 1;
        break;
    case 23:
        top = std::min(top + VisibleRows() - 1, ShownRowCount());
        break;
    case 129:
    case 4:
        top = theValue;
        break;
    case 1:
        top = 0;
        break;
    default:
        break;
    }
    ScrollTo(std::min(std::max(top, 0), std::max(ShownRowCount(), 0)));
}

void CListView::OnMouseWheel(CPoint, int theDelta, int)
{
    if (theDelta > 0 && itsTopRow > 0)
        ScrollTo(itsTopRow - 1);
    else if (theDelta < 0 && itsTopRow < LastScrollableRow())
        ScrollTo(itsTopRow + 1);
}
