#include "qt/QtMenuBar.h"

#include "platform/Resources.h"
#include "platform/Shell.h"

#include <QAction>
#include <QMenu>

namespace {

QString MenuText(const Cstring& theText)
{
    return QString::fromUtf8(theText.GetText()).replace('&', "&&");
}

} // namespace

CQtMenuPeer::CQtMenuPeer(CMenuBar& theMenuBar, QMenuBar& theBar)
    : itsMenuBar(&theMenuBar)
{
    for (auto& menu : theMenuBar.Menus()) {
        // The menu titled 0x14 is the application's own, named after it.
        const Cstring title = menu->bAppleMenu ? LoadString(10000) : menu->itsTitle;
        QMenu* qtMenu = theBar.addMenu(MenuText(title));
        itsMenus.push_back(qtMenu);
        menu->bBuilt = true;
        menu->itsHandle = reinterpret_cast<uintptr_t>(qtMenu);
        AddItems(*menu, *qtMenu);
        CMenuBar* bar = &theMenuBar;
        QObject::connect(qtMenu, &QMenu::aboutToShow, [bar] { Shell().EnableMenus(*bar, false); });
        // Closed, the key equivalents of the standard commands work again.
        QObject::connect(qtMenu, &QMenu::aboutToHide, [bar] { Shell().EnableMenus(*bar, true); });
    }
    theMenuBar.SetPeer(this);
}

CQtMenuPeer::~CQtMenuPeer()
{
    if (!itsMenuBar)
        return;
    itsMenuBar->SetPeer(nullptr);
    for (auto& menu : itsMenuBar->Menus())
        Unbuild(*menu);
}

void CQtMenuPeer::MenuBarGone()
{
    itsMenuBar = nullptr;
    itsActions.clear();
    for (QMenu* menu : itsMenus) {
        QObject::disconnect(menu, nullptr, nullptr, nullptr);
        for (QAction* action : menu->actions())
            QObject::disconnect(action, nullptr, nullptr, nullptr);
    }
}

void CQtMenuPeer::Unbuild(CMenuNode& theNode)
{
    theNode.bBuilt = false;
    theNode.itsHandle = 0;
    for (auto& child : theNode.itsChildren)
        Unbuild(*child);
}

void CQtMenuPeer::AddItems(CMenuNode& theMenu, QMenu& theQtMenu)
{
    for (auto& node : theMenu.itsChildren) {
        node->bBuilt = true;
        if (node->itsTitle == Cstring("-")) {
            theQtMenu.addSeparator();
            continue;
        }
        if (!node->itsChildren.empty()) {
            QMenu* submenu = theQtMenu.addMenu(MenuText(node->itsTitle));
            node->itsHandle = reinterpret_cast<uintptr_t>(submenu);
            AddItems(*node, *submenu);
            continue;
        }
        QAction* action = theQtMenu.addAction(MenuText(node->itsTitle));
        if (node->itsKey)
            action->setShortcut(
                QKeySequence(Qt::CTRL | static_cast<Qt::Key>(QChar(node->itsKey).toUpper().unicode())));
        const int32_t command = node->itsCommand;
        QObject::connect(action, &QAction::triggered, [command] {
            Shell().ProcessCommand(static_cast<uint32_t>(command));
            Shell().AfterEvent();
        });
        itsActions[node.get()] = action;
        ItemChanged(*node);
    }
}

void CQtMenuPeer::ItemChanged(const CMenuNode& theNode)
{
    QAction* action = ActionOf(theNode);
    if (!action)
        return;
    action->setEnabled(theNode.bEnabled);
    action->setCheckable(theNode.itsCheck != 0 || theNode.itsMark != 0);
    action->setChecked(theNode.itsCheck != 0 || theNode.itsMark != 0);
}

QAction* CQtMenuPeer::ActionOf(const CMenuNode& theNode) const
{
    const auto action = itsActions.find(&theNode);
    return action == itsActions.end() ? nullptr : action->second;
}
