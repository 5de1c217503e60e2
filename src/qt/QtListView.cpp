#include "qt/QtListView.h"

#include "platform/Shell.h"

#include <QApplication>

namespace {

int IdOf(const QTreeWidgetItem* pItem)
{
    return pItem ? pItem->data(0, Qt::UserRole).toInt() : 0;
}

} // namespace

CQtListPeer::CQtListPeer(CListView& theView, QWidget* pParent, const QRect& theGeometry)
    : itsView(theView)
    , itsTree(new QTreeWidget(pParent))
{
    itsTree->setHeaderHidden(true);
    itsTree->setRootIsDecorated(false);
    itsTree->setSelectionMode(QAbstractItemView::SingleSelection);
    itsTree->setGeometry(theGeometry);
    // A click notifies even on the selected row; a move of the selection by
    // the keyboard notifies like a click on the new row.
    QObject::connect(itsTree, &QTreeWidget::itemClicked, [this](QTreeWidgetItem* pItem, int) {
        if (!bRefreshing && IdOf(pItem) != 0) {
            itsView.ClickItem(IdOf(pItem));
            Shell().AfterEvent();
        }
    });
    // The selection, not the current row: focus arriving by Tab makes the
    // first row current without choosing it.
    QObject::connect(itsTree, &QTreeWidget::itemSelectionChanged, [this] {
        const QList<QTreeWidgetItem*> selected = itsTree->selectedItems();
        const int id = selected.isEmpty() ? 0 : IdOf(selected.front());
        if (!bRefreshing && id != 0 && id != itsView.GetSelectedID() && !QApplication::mouseButtons())
            itsView.ClickItem(id);
    });
    Refresh();
}

CQtListPeer::~CQtListPeer()
{
    if (!itsTree)
        return;
    itsTree->disconnect();
    itsTree->hide();
    itsTree->deleteLater();
}

void CQtListPeer::AddRows(const CList& theItems, QTreeWidgetItem* pParent)
{
    for (CListItem* link = theItems.GetHead(); link; link = link->GetNext()) {
        const auto& item = static_cast<const CListViewItem&>(*link);
        auto* row = pParent ? new QTreeWidgetItem(pParent) : new QTreeWidgetItem(itsTree);
        row->setText(0, QString::fromUtf8(itsView.RowText(item).GetText()));
        row->setData(0, Qt::UserRole, item.itsId);
        row->setToolTip(0, row->text(0)); // a long folder path may not fit
        AddRows(item.itsChildren, row);
        row->setExpanded(item.bExpanded);
        row->setSelected(item.bSelected);
        if (item.itsId == itsView.GetSelectedID())
            itsTree->setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
    }
}

void CQtListPeer::Refresh()
{
    if (!itsTree)
        return;
    bRefreshing = true;
    itsTree->clear();
    AddRows(itsView.Items(), nullptr);
    itsTree->setRootIsDecorated(itsTree->topLevelItemCount() != itsView.RowCount());
    bRefreshing = false;
}

void CQtListPeer::ScrollToRow(int theRow)
{
    if (!itsTree)
        return;
    QTreeWidgetItemIterator it(itsTree);
    for (int row = 0; *it && row < theRow; ++row)
        ++it;
    if (*it)
        itsTree->scrollToItem(*it, QAbstractItemView::PositionAtTop);
}

void CQtListPeer::Show(bool bVisible)
{
    if (itsTree)
        itsTree->setVisible(bVisible);
}
