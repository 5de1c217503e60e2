#pragma once

#include "foundation/Cstring.h"

#include <vector>

class CResFile;

struct CMenuItemTemplate {
    Cstring itsText; // "-" is a separator line
    char itsKey = 0; // command-key letter, 0 for none
    int32_t itsCommand = 0;
    bool bEnabled = true;
    int itsSubmenu = 0; // MENU ID of the submenu this item opens, 0 for none
    char itsMark = 0;
};

struct CMenuTemplate {
    int itsResourceId = 0;
    int itsMenuId = 0; // the menu's own ID; its resource ID unless the menu names another
    Cstring itsTitle;
    bool bAppleMenu = false; // the title is the single character 0x14
    int32_t itsCommand = 0;
    std::vector<CMenuItemTemplate> itsItems;
};

// Menu theMenuId of theFile; false when the file lacks it.
bool LoadMenu(const CResFile* theFile, int theMenuId, CMenuTemplate& theMenu);
// The first file of the text order (library, language, application) that
// holds menu bar theMenuBarId, or null.
const CResFile* FindMenuBarFile(int theMenuBarId);
// Menu bar theMenuBarId from that file, with its menus from that same file;
// menus the file lacks are left out. False when no file holds the menu bar.
bool LoadMenuBar(int theMenuBarId, std::vector<CMenuTemplate>& theMenus);
