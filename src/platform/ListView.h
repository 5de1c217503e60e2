#pragma once

#include "foundation/CList.h"
#include "foundation/Cstring.h"
#include "platform/mcwin.h"

#include <memory>

class CDialog;
class CListView;

// One row of a list view; rows may nest.
class CListViewItem : public CListItem {
public:
    CListViewItem(int theId, const char* theText, CListViewItem* pParent, CListView& theView);
    ~CListViewItem() override;

    int itsId;
    Cstring itsText;
    CListViewItem* itsParent;
    CList itsChildren; // of CListViewItem, owned
    CListView& itsView;
    bool bSelected = false;
    bool bExpanded = true;
};

// What shows a list view on screen: it reads the rows from the view.
class CListPeer {
public:
    virtual ~CListPeer() = default;
    // The rows, their texts or the selection changed.
    virtual void Refresh() = 0;
    virtual void ScrollToRow(int theRow) = 0;
    virtual void Show(bool bVisible) = 0;
};

// A list of text rows that may nest, one of them selected, on a dialog item.
// Item IDs count from 11 in a new view and from 3 after RemoveAll. A click
// on a row selects it and tells the owner, even when the row was selected
// already; selecting by program tells nobody.
class CListView : public CWindow {
public:
    // Takes the place and bounds of item theItemId of theDialog; the dialog
    // hears of clicks as DoCommand(theItemId, 1, 0).
    CListView(CDialog& theDialog, int theItemId);
    ~CListView() override;

    // Parent 0 or 1 (or one that does not exist) adds a top-level row;
    // thePosition places a child among its siblings (out of range: last).
    int AddItem(int theParentId, const char* theText, int thePosition = -1);
    CListViewItem* FindItem(int theId) const;
    // Depth-first row order, children of collapsed rows included.
    CListViewItem* ItemAtRow(int theRow) const;
    int RowCount() const { return CountRows(false); }
    // Children of collapsed rows left out.
    int ShownRowCount() const { return CountRows(true); }
    int RowOf(int theId) const;
    int GetSelectedID() const { return itsSelectedId; }
    // Empty for an ID that no row has.
    Cstring GetItemText(int theId) const;
    // Mode 1 selects; mode 0 deselects; another mode keeps a selected row
    // selected and deselects one that is not. Only the named row changes.
    void SelectItem(int theId, int theMode);
    void RemoveItem(int theId);
    void RemoveAll();
    void Show(bool bVisible);
    bool IsShown() const { return bShown; }
    // Heard of a click (code 14) on a row.
    virtual void ItemNotification(int /*theCode*/, CListViewItem* /*pItem*/, long /*theExtra*/) { }

    // A click on the row of theId, from the view's own hit test or the toolkit.
    void ClickItem(int theId);
    void OnMouseDown(CPoint thePoint, int theCode, int theKeys) override;
    void OnVScroll(int theBar, int thePart, int theValue) override;
    void OnMouseWheel(CPoint thePoint, int theDelta, int theKeys) override;
    void Close() override;

    const CList& Items() const { return itsItems; }
    int GetTopRow() const { return itsTopRow; }
    int GetOrigin() const { return itsOrigin; }
    int VisibleRows() const;
    int LastScrollableRow() const;
    const CRect& GetBounds() const { return itsBounds; }
    bool bShowIds = false; // rows read "(%d)%s"
    // The text a row shows.
    Cstring RowText(const CListViewItem& theItem) const;
    static constexpr int kRowHeight = 20;

private:
    int CountRows(bool bShownOnly) const;
    void Changed();
    void ScrollTo(int theTopRow);
    void Notify(CListViewItem& theItem);

    CDialog& itsDialog;
    int itsItemId;
    CList itsItems; // top-level CListViewItems, owned
    int itsNextId = 10;
    int itsSelectedId = 0;
    int itsAnchorId = 0;
    int itsTopRow = 0;
    int itsOrigin = 0; // minus the top of the first row shown
    bool bShown = true;
    CRect itsBounds;
    std::unique_ptr<CListPeer> itsPeer;
};
