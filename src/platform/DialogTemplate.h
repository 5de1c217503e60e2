#pragma once

#include "foundation/Cstring.h"
#include "foundation/ShortRect.h"

#include <vector>

class CResFile;

// Item types of a dialog item list.
enum DialogItemType {
    kUserItem = 0,
    kHelpItem = 1,
    kButtonItem = 4,
    kCheckBoxItem = 5,
    kRadioItem = 6,
    kControlItem = 7,
    kStaticTextItem = 8,
    kEditTextItem = 16,
    kIconItem = 32,
    kPictureItem = 64,
};

// One item of a dialog item list: geometry and text, the framework kind and ID,
// and the extra values, as the dialog layer builds its controls from them.
struct CDialogItemDescription {
    Cstring itsText; // substitutions applied; a picture's text is its PICT ID
    Cstring itsSecondText;
    int itsItemType = kUserItem;
    int itsDialogType = 0; // 1 button, 2 edit text, 3 static text, 0 other
    bool bDisabled = false;
    CShortRect itsBounds;
    int itsItemId = 0;
    int itsKind = 0; // ControlEntry kind; 0 makes no entry
    bool bVisible = true;
    int32_t itsStyle = 2048;
    int itsValues[2] = { 0, 0 };
    bool bHasLayout = false;
    int itsLayout[4] = { 0, 0, 0, 0 };
};

struct CDialogTemplate {
    int itsDialogId = 0;
    CShortRect itsBounds;
    Cstring itsTitle; // substitutions applied
    int itsProcId = 0;
    bool bVisible = false;
    bool bGoAway = false;
    std::vector<CDialogItemDescription> itsItems;
    CResFile* itsFile = nullptr; // where the dialog was found; its pages come from there too
};

// The dialog theDialogId from the first file of the dialog order (language,
// library, application) that holds it, with the item list of the same ID from
// that file. False when no file holds the dialog.
bool LoadDialogTemplate(int theDialogId, CDialogTemplate& theTemplate);
// Item list theListId of theFile (the tab pages of a dialog); false when absent.
bool LoadDialogItems(const CResFile* theFile, int theListId, std::vector<CDialogItemDescription>& theItems);
