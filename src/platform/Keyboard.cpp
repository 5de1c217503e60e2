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

// The framework's Tab rule serves dialogs that are filled in; a dialog without
// an editable text leaves Tab to the desktop, which visits every control.
bool HasEditableEntry(const std::vector<std::unique_ptr<ControlEntry>>& theEntries)
{
    for (const auto& entry : theEntries)
        if (entry->IsKindOf(kFamilyEditable) && entry->itsItemId > 0)
            return true;
    return false;
}

// A button that cannot be clicked cannot be pressed by a key either.
bool IsPressable(const ControlEntry* pEntry)
{
    return pEntry && pEntry->itsKind == kKindPushButton && pEntry->bEnabled && pEntry->bShown
        && pEntry->itsItemId > 0;
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
    const bool bDesktopTab = bDialog && !HasEditableEntry(itsEntries);
    if (bDialog && key.itsKeyCode == kKeyReturn) {
        if (key.Has(kShiftKey)) {
            key.itsModifiers &= ~kShiftKey;
        } else {
            // On the desktop Return presses the focused button, else the default one.
            const int pressed = bDesktopTab && IsPressable(itsFocus) ? itsFocus->itsItemId : GetDefaultItem();
            if (pressed != 0) {
                const ControlEntry* entry = FindEntry(pressed);
                if (!entry || entry->itsKind != kKindPushButton || IsPressable(entry))
                    DoCommand(pressed, 0, 0);
                bHandled = bSentCommand = true;
            }
        }
    }
    if (!bHandled && bDesktopTab && key.itsKeyCode == kKeyTab)
        return false;
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
