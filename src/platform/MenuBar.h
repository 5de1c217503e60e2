#pragma once

#include "foundation/Cstring.h"

#include <cstdint>
#include <memory>
#include <vector>

class CResFile;
struct CMenuTemplate;

// A menu, or one item of a menu; an item with children opens a submenu.
class CMenuNode {
public:
    bool IsMenu() const { return !itsParent || !itsChildren.empty(); }

    CMenuNode* itsParent = nullptr;
    std::vector<std::unique_ptr<CMenuNode>> itsChildren;
    int itsResourceId = 0;
    int itsMenuId = 0;
    int itsIndex = 0; // 1-based place in its menu
    Cstring itsTitle;
    bool bAppleMenu = false; // becomes the application's own menu
    bool bBuilt = false; // the toolkit shows it
    char itsKey = 0; // with Ctrl
    char itsMark = 0;
    int itsStyle = 0;
    int32_t itsCommand = 0;
    int itsCheck = 0;
    bool bEnabled = true;
    uintptr_t itsHandle = 0; // the toolkit's menu, for the dump
};

// What shows a menu bar: it is told when an item's check or state changes.
class CMenuPeer {
public:
    virtual ~CMenuPeer() = default;
    virtual void ItemChanged(const CMenuNode& theNode) = 0;
    // The menu bar is being destroyed: the peer must not touch it again.
    virtual void MenuBarGone() = 0;
};

// The menus of a menu bar resource, as a tree of nodes. Menus and items carry
// the command IDs of the resource; choosing an item sends its command to the
// shell.
class CMenuBar {
public:
    CMenuBar() = default;
    ~CMenuBar();
    CMenuBar(const CMenuBar&) = delete;
    CMenuBar& operator=(const CMenuBar&) = delete;

    // Menu bar theMenuBarId from theFile, else from the first file of the
    // text order that holds it. A missing bar is empty; a missing menu is
    // left out; a submenu that would contain itself is cut off.
    bool Load(int theMenuBarId, const CResFile* theFile = nullptr);

    const std::vector<std::unique_ptr<CMenuNode>>& Menus() const { return itsMenus; }
    // The first item with theCommand, depth-first; null when none.
    CMenuNode* FindCommand(int32_t theCommand) const;
    // Sets the check state of the item with theCommand.
    void Check(int32_t theCommand, int theState);
    // Enables or disables every item with theCommand; nothing when none has it.
    void EnableCommand(int32_t theCommand, bool bEnable);
    // One line per node, depth-first, four blanks of indent a level:
    // "%s%s (cmd=%d, menuid=%d, res=%d, handle=%x, index=%d, %d subItems)\r".
    Cstring Dump() const;

    int GetMenuBarId() const { return itsMenuBarId; }
    const CResFile* GetFile() const { return itsFile; }
    void SetPeer(CMenuPeer* pPeer) { itsPeer = pPeer; }

private:
    std::unique_ptr<CMenuNode> MakeMenu(
        const CMenuTemplate& theMenu, CMenuNode* pParent, std::vector<int>& theOpen);

    const CResFile* itsFile = nullptr;
    int itsMenuBarId = 0;
    std::vector<std::unique_ptr<CMenuNode>> itsMenus;
    CMenuPeer* itsPeer = nullptr; // not owned
};
