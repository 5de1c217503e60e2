#include "platform/MenuTemplate.h"

#include "platform/ResourceBundle.h"
#include "platform/Resources.h"

using nlohmann::json;

bool LoadMenuBar(int theMenuBarId, std::vector<CMenuTemplate>& theMenus)
{
    theMenus.clear();
    const CResFile* file = FindResourceFile("MBAR", theMenuBarId, ResourceOrder::kTexts);
    if (!file)
        return false;
    const CResourceBundle& bundle = *file->GetBundle();
    for (const json& menuId : *bundle.Find("MBAR", theMenuBarId)) {
        const json* menu = bundle.Find("MENU", ShortValue(menuId));
        if (!menu)
            continue;
        CMenuTemplate result;
        result.itsMenuId = ShortValue(menuId);
        result.itsTitle = TextMember(*menu, "title");
        ApplySubstitutions(result.itsTitle);
        const auto items = menu->find("items");
        if (items != menu->end()) {
            for (const json& item : *items) {
                CMenuItemTemplate entry;
                entry.itsText = TextMember(item, "text");
                ApplySubstitutions(entry.itsText);
                entry.itsKey = TextMember(item, "key").GetText()[0];
                entry.itsCommand = CommandMember(item, "command");
                entry.bEnabled = BoolMember(item, "enabled", true);
                result.itsItems.push_back(entry);
            }
        }
        theMenus.push_back(result);
    }
    return true;
}
