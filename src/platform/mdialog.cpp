#include "platform/mdialog.h"

#include "platform/DialogTemplate.h"
#include "platform/Host.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"

namespace {

// An edit text's frame is a fixed height, 3 pixels below the item's top.
CRect ControlFrame(int theKind, const CShortRect& theItem)
{
    CRect frame { theItem.top, theItem.left, theItem.bottom, theItem.right };
    if (theKind == kKindEditText) {
        frame.top += 3;
        frame.bottom = frame.top + 19;
    }
    return frame;
}

} // namespace

CDialog::CDialog(int theDialogId)
    : itsDialogId(theDialogId)
{
    itsWindowKind = kWindowKindDialog;
}

CDialog::~CDialog() = default;

bool CDialog::Build()
{
    CDialogTemplate dialog;
    bBuilt = LoadDialogTemplate(itsDialogId, dialog);
    if (!bBuilt) {
        Cstring message;
        message.Format("Dialog Resource %d not found", itsDialogId);
        MessageBox(message.GetText(), 0x2000);
        bOpen = false;
        return false;
    }
    bOpen = true;
    itsResult = 2;
    itsResFile = dialog.itsFile;
    itsTitle = dialog.itsTitle;
    itsFrame
        = { dialog.itsBounds.top, dialog.itsBounds.left, dialog.itsBounds.bottom, dialog.itsBounds.right };
    const int lowest = 2 * Host().MenuBarHeight();
    if (itsFrame.top < lowest)
        itsFrame.Offset(0, lowest - itsFrame.top);
    itsStyle &= ~uint32_t(kStyleShown);
    for (const CDialogItemDescription& item : dialog.itsItems)
        if (item.itsKind != kKindNone)
            AddEntry(item, 0);
    Create(nullptr);
    return true;
}

void CDialog::OpenWithoutLoop()
{
    InitDialog();
    bOpen = true;
    Show(true);
    if (itsView)
        itsView->BringToFront();
    Redraw(0, 0);
}

int CDialog::DoModal()
{
    if (!bBuilt && !Build())
        return 2;
    if (!bOpen)
        return 2;
    OpenWithoutLoop();
    bInModalLoop = true;
    while (bOpen)
        if (!Host().RunModalLoop(*this))
            EndDialog(2);
    bInModalLoop = false;
    Show(false);
    return itsResult;
}

int CModelessDialog::DoModal()
{
    if (!bBuilt && !Build())
        return 2;
    OpenWithoutLoop();
    return 1;
}

void CDialog::EndDialog(int theResult)
{
    itsResult = theResult;
    bOpen = false;
    if (bInModalLoop)
        Host().EndModalLoop(*this);
    itsFocus = nullptr;
}

void CDialog::Close()
{
    EndDialog(2);
    Show(false);
}

void CDialog::DoCommand(int theId, int theCode, long)
{
    // A button of a plain dialog ends it with its ID as the result.
    const ControlEntry* entry = FindEntry(theId);
    if (theCode == 0 && entry && entry->itsKind == kKindPushButton)
        EndDialog(theId);
}

void CDialog::Redraw(int theFlag, int theExtra)
{
    if (!itsView)
        return;
    BeginPaint(theFlag);
    CWindow::Redraw(theFlag, theExtra);
    EndPaint();
}

ControlEntry& CDialog::AddEntry(const CDialogItemDescription& theItem, int thePage)
{
    ControlEntry entry;
    entry.itsKind = theItem.itsKind;
    entry.itsItemId = theItem.itsItemId;
    entry.itsPage = thePage;
    entry.itsText = theItem.itsText;
    entry.itsSecondText = theItem.itsText;
    entry.itsBounds = ControlFrame(theItem.itsKind, theItem.itsBounds);
    entry.bEnabled = !theItem.bDisabled;
    entry.bVisible = theItem.bVisible;
    entry.bStartsShown = theItem.bVisible || ShownWhenMarkedHidden(theItem.itsKind);
    entry.bShown = entry.bStartsShown && thePage == 0;
    if (entry.itsKind == kKindProgressBar)
        entry.itsMaximum = 100;
    return AddEntry(entry);
}

void CDialog::AddTabPage(int thePage)
{
    itsPages.push_back(thePage);
    std::vector<CDialogItemDescription> items;
    // A page that the dialog's own file lacks (a language file older than the
    // page) comes from the next file that has it, rather than showing empty.
    if (!itsResFile || !LoadDialogItems(itsResFile, thePage, items))
        if (!LoadDialogItems(FindResourceFile("DITL", thePage, ResourceOrder::kDialogs), thePage, items))
            return;
    for (const CDialogItemDescription& item : items)
        if (item.itsKind != kKindNone)
            AddEntry(item, thePage);
}

void CDialog::SelectTabPage(int thePage)
{
    for (auto& entry : itsEntries) {
        if (entry->itsPage == 0)
            continue;
        const bool bShow = entry->itsPage == thePage && entry->bStartsShown;
        if (entry->bShown != bShow) {
            entry->bShown = bShow;
            if (entry->itsView)
                entry->itsView->ShowVisible(bShow);
        }
        if (!bShow && itsFocus == entry.get())
            itsFocus = nullptr;
    }
    itsCurrentPage = thePage;
}

ControlEntry* CDialog::OpenEntry(int theItemId)
{
    return bOpen ? FindEntry(theItemId) : nullptr;
}

void CDialog::SetItemText(int theItemId, const char* theText)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry)
        return;
    entry->itsText = theText;
    if (entry->itsView)
        entry->itsView->ShowText(DisplayText(*entry));
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

void CDialog::ShowItemTextAsIs(int theItemId)
{
    if (ControlEntry* entry = FindEntry(theItemId))
        entry->bShowsAsIs = true;
}

void CDialog::SetItemAccessibleName(int theItemId, const Cstring& theName)
{
    ControlEntry* entry = FindEntry(theItemId);
    if (!entry)
        return;
    entry->itsAccessibleName = theName;
    if (entry->itsView)
        entry->itsView->ShowAccessibleName(theName);
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

void CDialog::MoveItem(int theItemId, const CRect& theBounds)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry)
        return;
    const CRect old = entry->itsBounds;
    entry->itsBounds = theBounds;
    if (entry->itsView) {
        entry->itsView->ShowBounds(theBounds);
        entry->itsView->ShowVisible(entry->bShown);
    }
    InvalidateRect(&old);
}

void CDialog::InvalidateItem(int theItemId)
{
    const ControlEntry* entry = OpenEntry(theItemId);
    if (entry)
        InvalidateRect(&entry->itsBounds);
}

void CDialog::RemoveItem(int theItemId)
{
    ControlEntry* entry = OpenEntry(theItemId);
    if (!entry)
        return;
    if (itsFocus == entry)
        itsFocus = nullptr;
    entry->itsView = nullptr;
    entry->itsWidget.reset();
    entry->bCreated = false;
    entry->itsItemId = -entry->itsItemId;
}

CRect CDialog::GetItemBounds(int theItemId) const
{
    const ControlEntry* entry = FindEntry(theItemId);
    return entry ? entry->itsBounds : CRect();
}

bool CDialog::IsItemEnabled(int theItemId) const
{
    const ControlEntry* entry = FindEntry(theItemId);
    return entry && entry->bEnabled;
}

void CDialog::SetDefaultItem(int theItemId)
{
    ControlEntry* old = FindEntry(itsDefaultItem);
    if (old && old->itsView && old->itsKind == kKindPushButton && itsDefaultItem != theItemId)
        old->itsView->ShowDefault(false);
    itsDefaultItem = theItemId;
    ControlEntry* entry = FindEntry(theItemId);
    if (entry && entry->itsView && entry->itsKind == kKindPushButton)
        entry->itsView->ShowDefault(true);
}

void CDialog::SetCancelItem(int theItemId)
{
    itsCancelItem = theItemId;
    ControlEntry* entry = FindEntry(theItemId);
    if (entry && entry->itsView && entry->itsKind == kKindPushButton)
        entry->itsView->ShowCancel(true);
}
