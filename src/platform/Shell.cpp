#include "platform/Shell.h"

#include "platform/Host.h"
#include "platform/MenuBar.h"
#include "platform/controlentry.h"
#include "platform/mcwin.h"

#include <algorithm>

namespace {

constexpr uint32_t kEditCommands[] = { FourCharCode("undo"), FourCharCode("redo"), FourCharCode("cut "),
    FourCharCode("copy"), FourCharCode("past"), FourCharCode("sall") };

} // namespace

CShell& Shell()
{
    static CShell shell;
    return shell;
}

void CShell::Register(CWindow* pWindow)
{
    itsWindows.push_back(pWindow);
}

void CShell::Unregister(CWindow* pWindow)
{
    std::erase(itsWindows, pWindow);
    // A message or timer for a window that has gone must never reach whatever
    // object is later made at the same address.
    itsMessages.remove_if(
        [pWindow](const PostedMessage& theMessage) { return theMessage.itsTarget == pWindow; });
    {
        const std::lock_guard<std::mutex> guard(itsInboxLock);
        itsInbox.remove_if(
            [pWindow](const PostedMessage& theMessage) { return theMessage.itsTarget == pWindow; });
    }
    KillWindowTimer(pWindow, -1);
    if (itsMainWindow == pWindow)
        itsMainWindow = nullptr;
    if (itsCommandTarget == pWindow)
        itsCommandTarget = nullptr;
}

bool CShell::IsLive(const CWindow* pWindow) const
{
    return pWindow && std::find(itsWindows.begin(), itsWindows.end(), pWindow) != itsWindows.end();
}

void CShell::PostWindowMessage(CWindow* pTarget, int theMessage, int theWord, long theLong)
{
    if (pTarget && pTarget == itsMainWindow && theMessage == kMsgQuit) {
        bQuitPending = true;
    } else {
        itsMessages.push_front({ pTarget, theMessage, theWord, theLong });
    }
    // The pending quit is acted on after the next event, so make sure one comes.
    Host().WakeForPostedMessages();
}

void CShell::PostFromAnyThread(CWindow* pTarget, int theMessage, int theWord, long theLong)
{
    {
        const std::lock_guard<std::mutex> guard(itsInboxLock);
        itsInbox.push_front({ pTarget, theMessage, theWord, theLong });
    }
    Host().WakeForPostedMessages();
}

void CShell::DeliverPostedMessages()
{
    {
        const std::lock_guard<std::mutex> guard(itsInboxLock);
        itsMessages.splice(itsMessages.begin(), itsInbox);
    }
    while (!itsMessages.empty()) {
        const PostedMessage message = itsMessages.front();
        itsMessages.pop_front();
        if (!IsLive(message.itsTarget))
            continue;
        if (message.itsMessage == kMsgDeferredCommand)
            message.itsTarget->DoCommand(
                message.itsWord & 0xFFFF, static_cast<int>(message.itsLong >> 16), message.itsLong);
        else
            message.itsTarget->HandleMessage(
                message.itsMessage, static_cast<int16_t>(message.itsWord), message.itsLong);
    }
}

int CShell::SetWindowTimer(CWindow* pOwner, int theTimerId, unsigned theMilliseconds)
{
    const uint64_t now = Host().Microseconds();
    auto timer = std::find_if(itsTimers.begin(), itsTimers.end(), [&](const WindowTimer& theTimer) {
        return theTimer.itsOwner == pOwner && theTimer.itsId == theTimerId;
    });
    if (timer == itsTimers.end()) {
        itsTimers.push_front({ pOwner, theTimerId, 0, 0, 0 });
        timer = itsTimers.begin();
    }
    timer->itsLast = now;
    timer->itsPeriod = uint64_t(theMilliseconds) * 1000;
    timer->itsDue = timer->itsLast + timer->itsPeriod;
    return theTimerId;
}

void CShell::KillWindowTimer(CWindow* pOwner, int theTimerId)
{
    itsTimers.remove_if([&](const WindowTimer& theTimer) {
        return theTimer.itsOwner == pOwner && (theTimerId == -1 || theTimer.itsId == theTimerId);
    });
}

void CShell::IdleTick()
{
    const uint64_t now = Host().Microseconds();
    std::vector<std::pair<CWindow*, int>> due;
    for (auto timer = itsTimers.begin(); timer != itsTimers.end();) {
        if (!IsLive(timer->itsOwner)) {
            timer = itsTimers.erase(timer);
            continue;
        }
        const bool bWrapped = timer->itsLast >= timer->itsDue;
        if ((!bWrapped && timer->itsDue < now) || (bWrapped && now < timer->itsLast && timer->itsDue < now)) {
            timer->itsLast = now;
            timer->itsDue = timer->itsPeriod + now;
            due.emplace_back(timer->itsOwner, timer->itsId);
        }
        ++timer;
    }
    // A handler may kill timers or close windows: each call checks that its
    // window is still there.
    for (const auto& [owner, id] : due)
        if (IsLive(owner))
            owner->OnTimer(id);
}

bool CShell::IsModalDialogUp() const
{
    return std::any_of(itsWindows.begin(), itsWindows.end(), [](const CWindow* pWindow) {
        return pWindow->GetWindowKind() == kWindowKindDialog && pWindow->IsInModalLoop();
    });
}

bool CShell::EditCommand(uint32_t theCommand)
{
    if (std::find(std::begin(kEditCommands), std::end(kEditCommands), theCommand) == std::end(kEditCommands))
        return false;
    CWindow* front = Host().FrontWindow();
    if (!front || front->GetWindowKind() != kWindowKindDialog)
        return false;
    ControlEntry* focus = front->GetFocus();
    if (!focus || !focus->IsKindOf(kFamilyEditable) || !focus->itsView)
        return false;
    return focus->itsView->EditCommand(theCommand);
}

bool CShell::ProcessCommand(uint32_t theCommand)
{
    if (theCommand == FourCharCode("hide") || theCommand == FourCharCode("hido"))
        return false;
    if (theCommand == FourCharCode("quit")) {
        if (!IsModalDialogUp())
            RunQuitSequence();
        return true;
    }
    if (EditCommand(theCommand))
        return true;
    if (bPopUpTracking)
        return false;
    CWindow* target = itsCommandTarget ? itsCommandTarget : itsMainWindow;
    if (!target)
        return false;
    target->DoCommand(static_cast<int>(theCommand), 0, 0);
    return true;
}

void CShell::EnableMenus(CMenuBar& theMenuBar, bool bForKey)
{
    if (bForKey) {
        for (const char* command :
            { "quit", "undo", "redo", "cut ", "copy", "past", "sall", "hide", "hido", "pref", "abou" })
            theMenuBar.EnableCommand(static_cast<int32_t>(FourCharCode(command)), true);
        return;
    }
    CWindow* front = Host().FrontWindow();
    const ControlEntry* focus
        = front && front->GetWindowKind() == kWindowKindDialog ? front->GetFocus() : nullptr;
    const bool bEditable = focus && focus->IsKindOf(kFamilyEditable);
    for (uint32_t command : kEditCommands)
        theMenuBar.EnableCommand(static_cast<int32_t>(command), bEditable);
    CWindow* target = itsCommandTarget ? itsCommandTarget : itsMainWindow;
    if (!bEditable && !bPopUpTracking && target)
        target->UpdateMenus(&theMenuBar);
    theMenuBar.EnableCommand(static_cast<int32_t>(FourCharCode("quit")), !IsModalDialogUp());
}

void CShell::RunQuitSequence()
{
    bQuitting = true;
    if (!itsMainWindow || itsMainWindow->QueryQuit()) {
        const std::vector<CWindow*> windows = itsWindows;
        for (CWindow* window : windows) {
            if (!IsLive(window))
                continue;
            if (!window->QueryQuit())
                break;
            window->Close();
        }
    }
    bQuitting = false;
}

void CShell::RequestQuit()
{
    if (!IsModalDialogUp())
        RunQuitSequence();
}

void CShell::AfterEvent()
{
    if (bQuitPending && !IsModalDialogUp()) {
        bQuitPending = false;
        Host().QuitApplicationLoop();
    }
}
