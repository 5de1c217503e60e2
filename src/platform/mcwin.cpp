#include "platform/mcwin.h"

#include "foundation/Assert.h"
#include "platform/Host.h"
#include "platform/Shell.h"

#include <algorithm>

CWindow::CWindow()
{
    Shell().Register(this);
}

CWindow::~CWindow()
{
    Shell().Unregister(this);
    DisposeControls();
}

void CWindow::DisposeControls()
{
    itsFocus = nullptr;
    // Widgets go before the window that holds them.
    for (auto& entry : itsEntries) {
        entry->itsView = nullptr;
        entry->itsWidget.reset();
        entry->bCreated = false;
    }
    itsView.reset();
}

void CWindow::Close()
{
    bVisible = false;
    DisposeControls();
}

bool CWindow::Create(CWindow*)
{
    if (itsView)
        Close();
    const CRect screen = Host().ScreenBounds();
    if (itsFrame.Height() == 0)
        itsFrame.bottom = screen.bottom - 50;
    if (itsFrame.Width() == 0)
        itsFrame.right = screen.right - 20;
    const int menuBar = Host().MenuBarHeight();
    if (itsFrame.top < menuBar)
        itsFrame.Offset(menuBar, menuBar);
    itsView = Host().MakeWindow(*this);
    if (!itsView)
        return false;
    itsView->SetTitle(itsTitle);
    if (itsMenu)
        itsView->SetMenuBar(itsMenu);
    itsView->SetFrame(itsFrame);
    for (auto& entry : itsEntries)
        if (!entry->bCreated)
            CreateControl(*entry);
    OnCreate();
    if (itsStyle & kStyleShown)
        Show(true);
    return true;
}

void CWindow::CreateControl(ControlEntry& theEntry)
{
    theEntry.itsOwner = this;
    if (!itsView || theEntry.bCreated)
        return;
    theEntry.itsWidget = Host().MakeControl(*this, theEntry);
    theEntry.itsView = theEntry.itsWidget.get();
    theEntry.bCreated = true;
    if (!theEntry.itsView)
        return;
    theEntry.itsView->ShowText(DisplayText(theEntry));
    if (theEntry.HasRange())
        theEntry.itsView->ShowRange(theEntry.itsMinimum, theEntry.itsMaximum);
    theEntry.itsView->ShowValue(theEntry.itsValue);
    theEntry.itsView->ShowEnabled(theEntry.bEnabled);
    theEntry.itsView->ShowVisible(theEntry.bShown);
}

void CWindow::Show(bool bShow)
{
    bVisible = bShow;
    if (itsView)
        itsView->Show(bShow);
}

void CWindow::SetTitle(const char* theTitle)
{
    itsTitle = theTitle;
    if (itsView)
        itsView->SetTitle(itsTitle);
}

void CWindow::SetMenuBar(CMenuBar* pMenuBar)
{
    itsMenu = pMenuBar;
    if (itsView)
        itsView->SetMenuBar(pMenuBar);
}

void CWindow::SetFrame(const CRect& theFrame)
{
    itsFrame = theFrame;
    if (itsView)
        itsView->SetFrame(itsFrame);
}

void CWindow::ConstrainToScreen(int theFlags)
{
    const CRect screen = Host().ScreenBounds();
    const int top = std::max(screen.top, Host().MenuBarHeight());
    const bool bMove = theFlags & 1;
    CRect frame = itsFrame;
    // Wholly off the bottom or the right: back by the overshoot plus the size.
    if (frame.top >= screen.bottom)
        frame.Offset(0, -(frame.top - screen.bottom + frame.Height()));
    if (frame.left >= screen.right)
        frame.Offset(-(frame.left - screen.right + frame.Width()), 0);
    if (frame.top < top)
        frame.Offset(0, top - frame.top);
    if (frame.bottom > screen.bottom) {
        if (bMove)
            frame.Offset(0, std::max(top - frame.top, screen.bottom - frame.bottom));
        else
            frame.bottom = screen.bottom;
    }
    if (frame.left < 0)
        frame.Offset(-frame.left, 0);
    if (frame.right > screen.right) {
        if (bMove)
            frame.Offset(std::max(-frame.left, screen.right - frame.right), 0);
        else
            frame.right = screen.right;
    }
    if (!(frame == itsFrame))
        SetFrame(frame);
}

int CWindow::SetWindowTimer(int theTimerId, unsigned theMilliseconds)
{
    PW_ASSERT_TEXT(theTimerId > 0, "theEventId>0");
    PW_ASSERT_TEXT(theMilliseconds > 1, "theTimeCount>1");
    return Shell().SetWindowTimer(this, theTimerId, theMilliseconds);
}

void CWindow::KillWindowTimer(int theTimerId)
{
    PW_ASSERT_TEXT(theTimerId > 0, "theTimerId>0");
    Shell().KillWindowTimer(this, theTimerId);
}

void CWindow::OnTimer(int theTimerId)
{
    KillWindowTimer(theTimerId);
}

void CWindow::InvalidateRect(const CRect* pRect)
{
    if (itsView)
        itsView->Invalidate(pRect);
}

bool CWindow::BeginPaint(int)
{
    PW_ASSERT_TEXT(itsView || itsPaintDepth > 0, "FALSE");
    if (itsPaintDepth++ == 0 && itsView)
        itsDrawing = itsView->BeginDraw();
    return true;
}

void CWindow::EndPaint()
{
    PW_ASSERT_TEXT(itsPaintDepth > 0, "dccount>0");
    if (--itsPaintDepth == 0 && itsDrawing) {
        itsDrawing = nullptr;
        if (itsView)
            itsView->EndDraw();
    }
}

void CWindow::Redraw(int, int)
{
    for (auto& entry : itsEntries)
        if (entry->itsView && entry->bShown)
            entry->itsView->Redraw();
}

ControlEntry* CWindow::FindEntry(int theItemId)
{
    if (theItemId == 0)
        return nullptr;
    for (auto& entry : itsEntries)
        if (entry->itsItemId == theItemId)
            return entry.get();
    return nullptr;
}

const ControlEntry* CWindow::FindEntry(int theItemId) const
{
    return const_cast<CWindow*>(this)->FindEntry(theItemId);
}

ControlEntry& CWindow::AddEntry(const ControlEntry& theEntry)
{
    auto entry = std::make_unique<ControlEntry>();
    entry->itsOwner = this;
    entry->itsKind = theEntry.itsKind;
    entry->itsItemId = theEntry.itsItemId;
    entry->itsPage = theEntry.itsPage;
    entry->itsText = theEntry.itsText;
    entry->itsSecondText = theEntry.itsSecondText;
    entry->itsBounds = theEntry.itsBounds;
    entry->itsValue = theEntry.itsValue;
    entry->itsMinimum = theEntry.itsMinimum;
    entry->itsMaximum = theEntry.itsMaximum;
    entry->bEnabled = theEntry.bEnabled;
    entry->bVisible = theEntry.bVisible;
    entry->bStartsShown = theEntry.bStartsShown;
    entry->bShown = theEntry.bShown;
    entry->itsView = theEntry.itsView;
    itsEntries.push_back(std::move(entry));
    ControlEntry& added = *itsEntries.back();
    CreateControl(added);
    return added;
}

void CWindow::SetFocus(ControlEntry* pEntry)
{
    // The toolkit's focus follows, so a cleared focus leaves no widget taking keys.
    if (!pEntry && itsFocus && itsFocus->itsView)
        itsFocus->itsView->DropFocus();
    itsFocus = pEntry;
    if (pEntry && pEntry->itsView)
        pEntry->itsView->TakeFocus();
}

ControlEntry* CWindow::FindEntryForControl(const CControlView* pView)
{
    return FindEntryOfFamilyForControl(kFamilyAnyControl, pView);
}

ControlEntry* CWindow::FindEntryOfFamilyForControl(int theFamily, const CControlView* pView)
{
    for (auto& entry : itsEntries)
        if (entry->itsView == pView && pView && entry->IsKindOf(theFamily))
            return entry.get();
    return nullptr;
}

ControlEntry* CWindow::NextEntryOfFamily(int theFamily, const ControlEntry* pAfter)
{
    const size_t count = itsEntries.size();
    size_t start = 0;
    for (size_t i = 0; i < count; ++i)
        if (itsEntries[i].get() == pAfter)
            start = i + 1;
    // Each entry at most once per search.
    for (size_t step = 0; step < count; ++step) {
        ControlEntry* entry = itsEntries[(start + step) % count].get();
        if (entry->IsKindOf(theFamily) && entry->bEnabled && entry->bShown && entry->itsItemId > 0)
            return entry;
    }
    return nullptr;
}

CWindow* CWindow::HitTestChild(CPoint)
{
    return nullptr;
}

namespace {

bool IsNamingText(const ControlEntry& theEntry)
{
    if (theEntry.itsKind != kKindStaticText && theEntry.itsKind != kKindLabel)
        return false;
    for (const char* p = theEntry.itsText.GetText(); *p; ++p)
        if (*p != ' ')
            return true;
    return false;
}

} // namespace

const ControlEntry* CWindow::LabelFor(const ControlEntry& theEntry) const
{
    const int kNear = 8; // pixels between a label and what it names
    const CRect& bounds = theEntry.itsBounds;
    const ControlEntry* left = nullptr;
    const ControlEntry* above = nullptr;
    for (const auto& candidate : itsEntries) {
        if (candidate.get() == &theEntry || !IsNamingText(*candidate)
            || (candidate->itsPage != theEntry.itsPage && candidate->itsPage != 0))
            continue;
        const CRect& label = candidate->itsBounds;
        const bool bSameRow = label.top < bounds.bottom && bounds.top < label.bottom;
        if (bSameRow && label.right <= bounds.left && bounds.left - label.right <= kNear
            && (!left || label.right > left->itsBounds.right))
            left = candidate.get();
        const int gap = bounds.top - label.bottom;
        if (gap >= 0 && gap <= kNear && label.left >= bounds.left - 4 && label.left <= bounds.left + 4
            && (!above || label.bottom > above->itsBounds.bottom))
            above = candidate.get();
    }
    return left ? left : above;
}
