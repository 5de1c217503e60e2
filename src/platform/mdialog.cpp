#include "platform/mdialog.h"

#include "platform/DialogTemplate.h"
#include "platform/MessageBox.h"

#include <algorithm>

CDialog::CDialog(int theDialogId)
    : itsDialogId(theDialogId)
{
}

CDialog::~CDialog() = default;

bool CDialog::Build()
{
    CDialogTemplate dialog;
    bBuilt = LoadDialogTemplate(itsDialogId, dialog);
    if (bBuilt) {
        itsResFile = dialog.itsFile;
        for (const CDialogItemDescription& item : dialog.itsItems)
            if (item.itsKind != kKindNone)
                AddEntry(item, 0);
    } else {
        Cstring message;
        message.Format("Dialog Resource %d not found", itsDialogId);
        MessageBox(message.GetText(), 0);
    }
    return bBuilt;
}

int CDialog::DoModal()
{
    if (!bBuilt && !Build())
        return 2;
    InitDialog();
    bOpen = true;
    return itsResult;
}

int CModelessDialog::DoModal()
{
    if (!bBuilt && !Build())
        return 2;
    // Open before InitDialog: its item operations must take effect.
    bOpen = true;
    InitDialog();
    return 1;
}

void CDialog::EndDialog(int theResult)
{
    itsResult = theResult;
    bOpen = false;
}

ControlEntry* CDialog::FindEntry(int theItemId)
{
    if (theItemId == 0)
        return nullptr;
    for (auto& entry : itsEntries)
        if (entry->itsItemId == theItemId)
            return entry.get();
    return nullptr;
}

ControlEntry* CDialog::OpenEntry(int theItemId)
{
    return bOpen ? FindEntry(theItemId) : nullptr;
}

const ControlEntry* CDialog::FindEntry(int theItemId) const
{
    return const_cast<CDialog*>(this)->FindEntry(theItemId);
}

ControlEntry& CDialog::AddEntry(const CDialogItemDescription& theItem, int thePage)
{
    ControlEntry entry;
    entry.itsKind = theItem.itsKind;
    entry.itsItemId = theItem.itsItemId;
    entry.itsPage = thePage;
    entry.itsText = theItem.itsText;
    entry.itsSecondText = theItem.itsText;
    entry.bEnabled = !theItem.bDisabled;
    entry.bVisible = theItem.bVisible;
    entry.bShown = theItem.bVisible && thePage == 0;
    if (entry.itsKind == kKindProgressBar)
        entry.itsMaximum = 100;
    return AddEntry(entry);
}

void CDialog::AddTabPage(int thePage)
{
    itsPages.push_back(thePage);
    std::vector<CDialogItemDescription> items;
    if (!itsResFile || !LoadDialogItems(itsResFile, thePage, items))
        return;
    for (const CDialogItemDescription& item : items)
        if (item.itsKind != kKindNone)
            AddEntry(item, thePage);
}

ControlEntry& CDialog::AddEntry(const ControlEntry& theEntry)
{
    itsEntries.push_back(std::make_unique<ControlEntry>(theEntry));
    return *itsEntries.back();
}

void CDialog::SelectTabPage(int thePage)
{
    for (auto& entry : itsEntries) {
        if (entry->itsPage == 0)
            continue;
        const bool bShow = entry->itsPage == thePage && entry->bVisible;
        if (entry->bShown != bShow) {
            entry->bShown = bShow;
            if (entry->itsView)
                entry->itsView->ShowVisible(bShow);
        }
    }
    itsCurrentPage = thePage;
}

void CDialog::SetItemText(int theItemId, const char* theText)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry)
        return;
    entry->itsText = theText;
    if (entry->itsView)
        entry->itsView->ShowText(entry->itsText);
}

void CDialog::SetItemValue(int theItemId, long theValue)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry)
        return;
    entry->itsValue = static_cast<int32_t>(theValue);
    if (entry->itsView)
        entry->itsView->ShowValue(entry->itsValue);
}

void CDialog::RedrawItem(int theItemId)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry)
        return;
    ++entry->itsRedrawCount;
    if (entry->itsView)
        entry->itsView->Redraw();
}

Cstring CDialog::GetItemText(int theItemId) const
{
    const ControlEntry* entry = FindEntry(theItemId);
    return entry ? entry->itsSecondText : Cstring();
}

void CDialog::SetItemRange(int theItemId, int32_t theMinimum, int32_t theMaximum)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry || !entry->HasRange())
        return;
    entry->itsMinimum = theMinimum;
    entry->itsMaximum = theMaximum;
    if (entry->itsView)
        entry->itsView->ShowRange(theMinimum, theMaximum);
}

void CDialog::EnableItem(int theItemId, bool bEnable)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry)
        return;
    entry->bEnabled = bEnable;
    if (entry->itsView)
        entry->itsView->ShowEnabled(bEnable);
}

void CDialog::ShowItem(int theItemId, bool bShow)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry)
        return;
    entry->bShown = bShow;
    if (entry->itsView)
        entry->itsView->ShowVisible(bShow);
}

bool CDialog::IsItemEnabled(int theItemId) const
{
    const ControlEntry* entry = FindEntry(theItemId);
    return entry && entry->bEnabled;
}
