#include "platform/OverwriteDialog.h"

namespace {

enum OverwriteItem {
    kItemYes = 1,
    kItemCancel = 2,
    kItemNo = 7,
    kItemAllLabel = 123,
    kItemPath = 127,
    kItemNoToAll = 128,
    kItemYesToAll = 129,
};

} // namespace

COverwriteDialog::COverwriteDialog(const char* thePath, uint32_t theEntryCount)
    : CDialog(109)
    , itsPath(thePath ? thePath : "")
    , itsEntryCount(theEntryCount)
{
}

void COverwriteDialog::InitDialog()
{
    SetItemText(kItemPath, itsPath.GetText());
    SetDefaultItem(kItemYes);
    if (itsEntryCount == 1) {
        for (int item : { kItemAllLabel, kItemYesToAll, kItemNoToAll, kItemCancel })
            ShowItem(item, false);
        // Without Cancel, Escape answers No: the file is kept.
        SetCancelItem(kItemNo);
    } else {
        SetCancelItem(kItemCancel);
    }
}
