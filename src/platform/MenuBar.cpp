#include "platform/MenuBar.h"

#include "platform/MenuTemplate.h"
#include "platform/ResourceBundle.h"
#include "platform/Resources.h"

#include <algorithm>

namespace {

template <typename Visit>
CMenuNode* Walk(const std::vector<std::unique_ptr<CMenuNode>>& theNodes, Visit& theVisit)
{
    for (const auto& node : theNodes) {
        if (theVisit(*node))
            return node.get();
        if (CMenuNode* found = Walk(node->itsChildren, theVisit))
            return found;
    }
    return nullptr;
}

void DumpNodes(const std::vector<std::unique_ptr<CMenuNode>>& theNodes, int theDepth, Cstring& theText)
{
    for (const auto& node : theNodes) {
        Cstring line;
        line.Format("%*s%s (cmd=%d, menuid=%d, res=%d, handle=%x, index=%d, %d subItems)\r", theDepth * 4, "",
            node->itsTitle.GetText(), node->itsCommand, node->itsMenuId, node->itsResourceId,
            static_cast<unsigned>(node->itsHandle), node->itsIndex,
            static_cast<int>(node->itsChildren.size()));
        theText += line;
        DumpNodes(node->itsChildren, theDepth + 1, theText);
    }
}

} // namespace

std::unique_ptr<CMenuNode> CMenuBar::MakeMenu(
    const CMenuTemplate& theMenu, CMenuNode* pParent, std::vector<int>& theOpen)
{
    auto menu = std::make_unique<CMenuNode>();
    menu->itsParent = pParent;
    menu->itsResourceId = theMenu.itsResourceId;
    menu->itsMenuId = theMenu.itsMenuId;
    menu->itsTitle = theMenu.itsTitle;
    menu->bAppleMenu = theMenu.bAppleMenu && !pParent;
    menu->itsCommand = theMenu.itsCommand;
    theOpen.push_back(theMenu.itsResourceId);
    int index = 0;
    for (const auto& item : theMenu.itsItems) {
        auto node = std::make_unique<CMenuNode>();
        node->itsParent = menu.get();
        node->itsIndex = ++index;
        node->itsTitle = item.itsText;
        node->itsKey = item.itsKey;
        node->itsMark = item.itsMark;
        node->itsCommand = item.itsCommand;
        node->bEnabled = item.bEnabled;
        CMenuTemplate submenu;
        if (item.itsSubmenu != 0
            && std::find(theOpen.begin(), theOpen.end(), item.itsSubmenu) == theOpen.end()
            && LoadMenu(itsFile, item.itsSubmenu, submenu)) {
            std::unique_ptr<CMenuNode> children = MakeMenu(submenu, node.get(), theOpen);
            node->itsResourceId = children->itsResourceId;
            node->itsMenuId = children->itsMenuId;
            node->itsChildren = std::move(children->itsChildren);
            for (auto& child : node->itsChildren)
                child->itsParent = node.get();
        }
        menu->itsChildren.push_back(std::move(node));
    }
    theOpen.pop_back();
    return menu;
}

CMenuBar::~CMenuBar()
{
    if (itsPeer)
        itsPeer->MenuBarGone();
}

bool CMenuBar::Load(int theMenuBarId, const CResFile* theFile)
{
    itsMenus.clear();
    itsMenuBarId = theMenuBarId;
    itsFile = theFile && theFile->GetBundle() && theFile->GetBundle()->Find("MBAR", theMenuBarId)
        ? theFile
        : FindMenuBarFile(theMenuBarId);
    if (!itsFile)
        return false;
    std::vector<int> open;
    for (const nlohmann::json& menuId : *itsFile->GetBundle()->Find("MBAR", theMenuBarId)) {
        CMenuTemplate menu;
        if (LoadMenu(itsFile, ShortValue(menuId), menu))
            itsMenus.push_back(MakeMenu(menu, nullptr, open));
    }
    return true;
}

CMenuNode* CMenuBar::FindCommand(int32_t theCommand) const
{
    auto match = [theCommand](const CMenuNode& theNode) {
        return theNode.itsParent && theNode.itsCommand == theCommand;
    };
    return theCommand == 0 ? nullptr : Walk(itsMenus, match);
}

void CMenuBar::Check(int32_t theCommand, int theState)
{
    CMenuNode* node = FindCommand(theCommand);
    if (!node)
        return;
    node->itsCheck = theState;
    if (itsPeer && node->bBuilt)
        itsPeer->ItemChanged(*node);
}

void CMenuBar::EnableCommand(int32_t theCommand, bool bEnable)
{
    auto visit = [&](CMenuNode& theNode) {
        if (theNode.itsParent && theNode.itsCommand == theCommand && theNode.bEnabled != bEnable) {
            theNode.bEnabled = bEnable;
            if (itsPeer && theNode.bBuilt)
                itsPeer->ItemChanged(theNode);
        }
        return false;
    };
    if (theCommand != 0)
        Walk(itsMenus, visit);
}

Cstring CMenuBar::Dump() const
{
    Cstring text;
    DumpNodes(itsMenus, 0, text);
    return text;
}
