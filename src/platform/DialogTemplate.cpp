#include "platform/DialogTemplate.h"

#include "platform/ResourceBundle.h"
#include "platform/Resources.h"

#include <string>

using nlohmann::json;

namespace {

struct ItemTypeName {
    const char* itsName;
    int itsType;
    int itsDialogType;
};

const ItemTypeName kItemTypeNames[] = {
    { "user", kUserItem, 0 },
    { "help", kHelpItem, 0 },
    { "button", kButtonItem, 1 },
    { "checkbox", kCheckBoxItem, 0 },
    { "radio", kRadioItem, 0 },
    { "control", kControlItem, 0 },
    { "text", kStaticTextItem, 3 },
    { "edit", kEditTextItem, 2 },
    { "icon", kIconItem, 0 },
    { "picture", kPictureItem, 0 },
};

CShortRect RectValue(const json& theValue)
{
    CShortRect rect;
    if (theValue.is_array() && theValue.size() == 4) {
        rect.top = static_cast<int16_t>(ShortValue(theValue[0]));
        rect.left = static_cast<int16_t>(ShortValue(theValue[1]));
        rect.bottom = static_cast<int16_t>(ShortValue(theValue[2]));
        rect.right = static_cast<int16_t>(ShortValue(theValue[3]));
    }
    return rect;
}

CDialogItemDescription DescribeItem(const json& theItem)
{
    CDialogItemDescription item;
    const Cstring type = TextMember(theItem, "type");
    for (const ItemTypeName& row : kItemTypeNames)
        if (type == Cstring(row.itsName)) {
            item.itsItemType = row.itsType;
            item.itsDialogType = row.itsDialogType;
        }
    item.bDisabled = BoolMember(theItem, "disabled", false);
    item.itsBounds = RectValue(theItem["rect"]);
    item.itsItemId = static_cast<int>(NumberMember(theItem, "id", 0));
    item.itsKind = static_cast<int>(NumberMember(theItem, "kind", 0));
    item.bVisible = BoolMember(theItem, "shown", true);
    if (item.itsItemType == kPictureItem)
        item.itsText.Format("%ld", NumberMember(theItem, "pict", 0));
    else if (item.itsItemType != kUserItem && item.itsItemType != kHelpItem
        && item.itsItemType != kControlItem && item.itsItemType != kIconItem)
        item.itsText = TextMember(theItem, "text");
    ApplySubstitutions(item.itsText);

    const auto dbut = theItem.find("dbut");
    if (dbut != theItem.end()) {
        item.itsValues[0] = ShortValue((*dbut)[0]);
        item.itsValues[1] = ShortValue((*dbut)[1]);
        item.bHasLayout = true;
        for (int i = 0; i < 4; ++i)
            item.itsLayout[i] = ShortValue((*dbut)[static_cast<size_t>(2 + i)]);
    }
    return item;
}

} // namespace

bool LoadDialogItems(const CResFile* theFile, int theListId, std::vector<CDialogItemDescription>& theItems)
{
    theItems.clear();
    const json* list
        = theFile && theFile->GetBundle() ? theFile->GetBundle()->Find("DITL", theListId) : nullptr;
    if (!list)
        return false;
    for (const json& item : *list)
        theItems.push_back(DescribeItem(item));
    return true;
}

bool LoadDialogTemplate(int theDialogId, CDialogTemplate& theTemplate)
{
    theTemplate = CDialogTemplate();
    theTemplate.itsDialogId = theDialogId;
    CResFile* file = FindResourceFile("DLOG", theDialogId, ResourceOrder::kDialogs);
    if (!file)
        return false;
    const json& dialog = *file->GetBundle()->Find("DLOG", theDialogId);
    theTemplate.itsFile = file;
    theTemplate.itsBounds = RectValue(dialog["bounds"]);
    theTemplate.itsTitle = TextMember(dialog, "title");
    ApplySubstitutions(theTemplate.itsTitle);
    theTemplate.itsProcId = static_cast<int>(NumberMember(dialog, "procID", 0));
    theTemplate.bVisible = BoolMember(dialog, "visible", true);
    theTemplate.bGoAway = BoolMember(dialog, "goAway", false);
    LoadDialogItems(file, theDialogId, theTemplate.itsItems);
    return true;
}
