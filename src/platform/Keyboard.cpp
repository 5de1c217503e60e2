// The keyboard rules of every framework window, in the order the application
// windows depend on.

#include "platform/Shell.h"
#include "platform/mcwin.h"

namespace {

// Tab order runs through the editable entries that are enabled and shown,
// wrapping around; each entry is looked at once per key.
ControlEntry* NextEditable(
    const std::vector<std::unique_ptr<ControlEntry>>& theEntries, const ControlEntry* pFrom, bool bBackwards)
{
    const int count = static_cast<int>(theEntries.size());
    int from = bBackwards ? 0 : -1;
    for (int i = 0; i < count; ++i)
        if (theEntries[static_cast<size_t>(i)].get() == pFrom)
            from = i;
    const int step = bBackwards ? -1 : 1;
    for (int n = 1; n <= count; ++n) {
        ControlEntry* entry
            = theEntries[static_cast<size_t>(((from + step * n) % count + count) % count)].get();
        if (entry->IsKindOf(kFamilyEditable) && entry->bEnabled && entry->bShown && entry->itsItemId > 0)
            return entry;
    }
    return nullptr;
}

} // namespace

bool CWindow::HandleKey(const CKeyEvent& theKey)
{
    const bool bDialog = itsWindowKind == kWindowKindDialog;
    CShell& shell = Shell();
    if (theKey.IsCommand('q')) {
        if (!shell.IsModalDialogUp())
            shell.RunQuitSequence();
        return true;
    }

    bool bHandled = false;
    bool bSentCommand = false;
    CKeyEvent key = theKey;
    if (bDialog && key.itsKeyCode == kKeyReturn) {
        if (key.Has(kShiftKey)) {
            key.itsModifiers &= ~kShiftKey;
        } else if (GetDefaultItem() != 0) {
            DoCommand(GetDefaultItem(), 0, 0);
            bHandled = bSentCommand = true;
        }
    }
    if (!bHandled && bDialog && key.itsKeyCode == kKeyTab) {
        SetFocus(NextEditable(itsEntries, itsFocus, key.Has(kShiftKey)));
        return true;
    }
    if (!bHandled && bDialog && itsFocus && itsFocus->itsView && itsFocus->IsKindOf(kFamilyEditable)) {
        itsFocus->itsView->TakeKey(key);
        bHandled = true;
    }
    if (key.IsCommand('w')) {
        if (QueryQuit())
            Close();
        return true;
    }
    if (bDialog && (key.itsKeyCode == kKeyEscape || key.IsCommand('.')) && GetCancelItem() != 0) {
        DoCommand(GetCancelItem(), 0, 0);
        bHandled = bSentCommand = true;
    }
    if (!bSentCommand)
        OnKeyDown(key.itsKeyCode, key.itsCharCode, key.itsModifiers, 1);
    // The window may have closed in the handlers above.
    if (bDialog && itsFocus
        && (itsFocus->itsKind == kKindEditText || itsFocus->itsKind == kKindEditMultiLineText))
        DoCommand(itsFocus->itsItemId, kMsgTextChanged, 0);
    return bHandled;
}
