#include "platform/MenuTemplate.h"

#include "platform/ResourceBundle.h"
#include "platform/Resources.h"

using nlohmann::json;

bool LoadMenu(const CResFile* theFile, int theMenuId, CMenuTemplate& theMenu)
{
    theMenu = CMenuTemplate();
    const json* menu
        = theFile && theFile->GetBundle() ? theFile->GetBundle()->Find("MENU", theMenuId) : nullptr;
    if (!menu)
        return false;
    theMenu.itsResourceId = theMenuId;
    theMenu.itsMenuId = static_cast<int>(NumberMember(*menu, "id", theMenuId));
    theMenu.itsCommand = CommandMember(*menu, "command");
    theMenu.itsTitle = TextMember(*menu, "title");
    theMenu.bAppleMenu = theMenu.itsTitle == Cstring("\x14");
    if (!theMenu.bAppleMenu)
        ApplySubstitutions(theMenu.itsTitle);
    const auto items = menu->find("items");
    if (items == menu->end())
        return true;
    for (const json& item : *items) {
        CMenuItemTemplate entry;
        entry.itsText = TextMember(item, "text");
        ApplySubstitutions(entry.itsText);
        const char key = TextMember(item, "key").GetText()[0];
        entry.itsKey = static_cast<unsigned char>(key) > 32 ? key : 0; // only a printable key is one
        entry.itsCommand = CommandMember(item, "command");
        entry.bEnabled = BoolMember(item, "enabled", true);
        entry.itsSubmenu = static_cast<int>(NumberMember(item, "submenu", 0));
        entry.itsMark = TextMember(item, "mark").GetText()[0];
        theMenu.itsItems.push_back(entry);
    }
    return true;
}

const CResFile* FindMenuBarFile(int theMenuBarId)
{
    return FindResourceFile("MBAR", theMenuBarId, ResourceOrder::kTexts);
}

bool LoadMenuBar(int theMenuBarId, std::vector<CMenuTemplate>& theMenus)
{
    theMenus.clear();
    const CResFile* file = FindMenuBarFile(theMenuBarId);
    if (!file)
        return false;
    for (const json& menuId : *file->GetBundle()->Find("MBAR", theMenuBarId)) {
        CMenuTemplate menu;
        if (LoadMenu(file, ShortValue(menuId), menu))
            theMenus.push_back(menu);
    }
    return true;
}
