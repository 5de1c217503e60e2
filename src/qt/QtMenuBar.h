#pragma once

#include "platform/MenuBar.h"

#include <QMenuBar>

#include <map>
#include <vector>

class QAction;
class QMenu;

// A menu bar shown as a QMenuBar: the application menu for the menu titled
// 0x14, submenus, key equivalents as Ctrl shortcuts, check marks. Choosing an
// item sends its command to the shell; the items are brought up to date each
// time a menu opens.
class CQtMenuPeer : public CMenuPeer {
public:
    CQtMenuPeer(CMenuBar& theMenuBar, QMenuBar& theBar);
    ~CQtMenuPeer() override;

    void ItemChanged(const CMenuNode& theNode) override;
    void MenuBarGone() override;
    QAction* ActionOf(const CMenuNode& theNode) const;

private:
    void AddItems(CMenuNode& theMenu, QMenu& theQtMenu);
    void Unbuild(CMenuNode& theNode);

    CMenuBar* itsMenuBar; // null once it is gone
    std::map<const CMenuNode*, QAction*> itsActions;
    std::vector<QMenu*> itsMenus;
};
