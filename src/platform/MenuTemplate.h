#pragma once

#include "foundation/Cstring.h"

#include <vector>

class CResFile;

struct CMenuItemTemplate {
    Cstring itsText; // "-" is a separator line
    char itsKey = 0; // command-key letter, 0 for none
    int32_t itsCommand = 0;
    bool bEnabled = true;
};

struct CMenuTemplate {
    int itsMenuId = 0;
    Cstring itsTitle;
    std::vector<CMenuItemTemplate> itsItems;
};

// Menu bar theMenuBarId from the first file of the text order (library,
// language, application) that holds it, with its menus from that same file;
// menus the file lacks are left out. False when no file holds the menu bar.
bool LoadMenuBar(int theMenuBarId, std::vector<CMenuTemplate>& theMenus);
