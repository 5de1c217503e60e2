#pragma once

#include "platform/ListView.h"

#include <QPointer>
#include <QTreeWidget>

// A list view shown as a QTreeWidget in the place of its dialog item. Clicks
// on rows come back to the view as ClickItem; the tree is rebuilt from the
// view's rows whenever they change.
class CQtListPeer : public CListPeer {
public:
    CQtListPeer(CListView& theView, QWidget* pParent, const QRect& theGeometry);
    ~CQtListPeer() override;

    void Refresh() override;
    void ScrollToRow(int theRow) override;
    void Show(bool bVisible) override;

    QTreeWidget* Tree() const { return itsTree; }

private:
    void AddRows(const CList& theItems, QTreeWidgetItem* pParent);

    CListView& itsView;
    QPointer<QTreeWidget> itsTree;
    bool bRefreshing = false;
};
