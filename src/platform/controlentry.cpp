#include "platform/controlentry.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace {

bool OneOf(int theKind, std::initializer_list<int> theKinds)
{
    return std::find(theKinds.begin(), theKinds.end(), theKind) != theKinds.end();
}

} // namespace

bool IsKindOf(int theKind, int theFamily)
{
    if (theKind == theFamily)
        return true;
    switch (theFamily) {
    case kFamilyToggle:
        return OneOf(theKind, { 4, 14 });
    case kFamilyButton:
        return OneOf(theKind, { 3, 4, 14 });
    case kFamilyClickValue:
        return OneOf(theKind, { 3, 4, 8, 14, 19 });
    case kFamilyScrollBar:
        return OneOf(theKind, { 8, 19 });
    case kFamilyText:
        return OneOf(theKind, { 6, 16, 25 });
    case kFamilyTitled:
        return OneOf(theKind, { 7, 10, 11, 20 });
    case kFamilyEditText:
        return OneOf(theKind, { 6, 25 });
    case kFamilyEditable:
        return OneOf(theKind, { 6, 20, 25 });
    case kFamilyAnyControl:
        return !OneOf(theKind, { 0, 1, 2, 15 });
    default:
        return false;
    }
}

Cstring DisplayText(int theKind, const Cstring& theText)
{
    if (OneOf(theKind, { kKindLabel, kKindStaticText, kKindCombo })) {
        std::string shown;
        for (const char* p = theText.GetText(); *p; ++p) {
            if (*p == '&' && *++p == 0)
                break;
            shown += *p;
        }
        return Cstring(shown.c_str());
    }
    Cstring text(theText);
    if (OneOf(theKind, { kKindEditText, kKindMultiLineText, kKindEditMultiLineText }))
        text.Replace("\n", " ");
    return text;
}

Cstring DisplayText(const ControlEntry& theEntry)
{
    return theEntry.bShowsAsIs ? theEntry.itsText : DisplayText(theEntry.itsKind, theEntry.itsText);
}

bool ShownWhenMarkedHidden(int theKind)
{
    return OneOf(theKind,
        { kKindPushButton, kKindPopUp, kKindHScrollBar, kKindVScrollBar, kKindUserPane, kKindListView,
            kKindProgressBar });
}
