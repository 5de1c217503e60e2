#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <vector>

class CMenuBar;
class CWindow;

// Messages with a meaning to the shell.
enum ShellMessage {
    kMsgTextChanged = 12, // an edit text's contents may have changed
    kMsgDeferredCommand = 107, // DoCommand(word & 0xFFFF, long >> 16, long)
    kMsgQuit = 110, // to the main window: end the application
};

// The process-wide shell: the window list, the posted-message queue, the
// window timers, the routing of commands and the quit sequence. Everything
// runs on the main thread; the host calls in from its loop.
class CShell {
public:
    // Window list: every live framework window, in order of creation.
    void Register(CWindow* pWindow);
    void Unregister(CWindow* pWindow);
    bool IsLive(const CWindow* pWindow) const;
    const std::vector<CWindow*>& Windows() const { return itsWindows; }

    // Queues a message for pTarget, delivered newest first from the loop.
    // Message 110 to the main window only sets the quit flag.
    void PostWindowMessage(CWindow* pTarget, int theMessage, int theWord, long theLong);
    // The same from any thread, for work done beside the loop: the message
    // joins the queue at the next delivery. The host's wake is called from
    // the posting thread.
    void PostFromAnyThread(CWindow* pTarget, int theMessage, int theWord, long theLong);
    void DeliverPostedMessages();
    size_t QueuedMessages() const { return itsMessages.size(); }

    // The window timers, walked on the idle tick. Setting a timer that the
    // window already has restarts it.
    int SetWindowTimer(CWindow* pOwner, int theTimerId, unsigned theMilliseconds);
    // theTimerId -1 removes all of the window's timers.
    void KillWindowTimer(CWindow* pOwner, int theTimerId);
    size_t TimerCount() const { return itsTimers.size(); }
    // One idle pass: fires each timer that has come due, at most once.
    void IdleTick();

    // A command from a menu, a key equivalent or the host: true when taken.
    bool ProcessCommand(uint32_t theCommand);
    // Brings the items of theMenuBar up to date before it opens (bForKey
    // false), or for a key equivalent (true: the standard commands are on).
    void EnableMenus(CMenuBar& theMenuBar, bool bForKey);
    // Asks the main window, then every window in turn, to quit, and closes them.
    void RunQuitSequence();
    // A quit request from outside (the window manager, the session, a signal):
    // the quit sequence, unless a modal dialog is up.
    void RequestQuit();
    bool IsModalDialogUp() const;
    // Called by the host after each event it handled: acts on a pending quit.
    void AfterEvent();

    CWindow* itsMainWindow = nullptr;
    CWindow* itsCommandTarget = nullptr; // when set, commands go here instead
    CMenuBar* itsMenuBar = nullptr;
    bool bQuitting = false;
    bool bPopUpTracking = false;
    bool bQuitPending = false;

private:
    struct WindowTimer {
        CWindow* itsOwner;
        int itsId;
        uint64_t itsPeriod; // microseconds
        uint64_t itsLast;
        uint64_t itsDue;
    };
    struct PostedMessage {
        CWindow* itsTarget;
        int itsMessage;
        int itsWord;
        long itsLong;
    };

    bool EditCommand(uint32_t theCommand);

    std::vector<CWindow*> itsWindows;
    std::list<WindowTimer> itsTimers; // newest first
    std::list<PostedMessage> itsMessages; // newest first
    std::mutex itsInboxLock;
    std::list<PostedMessage> itsInbox; // from other threads, newest first
};

CShell& Shell();

// Helpers as the framework's callers spell them.
inline void PostWindowMessage(CWindow* pTarget, int theMessage, int theWord, long theLong)
{
    Shell().PostWindowMessage(pTarget, theMessage, theWord, theLong);
}
