#pragma once

#include "identification/ProgramList.h"

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

// The check of the installed copies that start-up makes: reading every file
// of every copy takes long, so it runs on a thread of its own while the
// window is already in use. The thread fills lists of its own; the records
// reach the process-wide lists only through TakeResults, on the main thread.
class CCopyCheck {
public:
    // Fills theFound and theUnknown; ends soon once theStop is asked for.
    using Scan
        = std::function<void(CProgramList& theFound, CProgramList& theUnknown, std::stop_token theStop)>;

    CCopyCheck() = default;
    // Stops the check and waits for its thread.
    ~CCopyCheck();
    CCopyCheck(const CCopyCheck&) = delete;
    CCopyCheck& operator=(const CCopyCheck&) = delete;

    // Runs theScan on a new thread; theDone is then called on that thread,
    // after IsDone has become true, unless the check was stopped.
    void Start(Scan theScan, std::function<void()> theDone);
    // Whether a check was started and its results not taken yet (main thread).
    bool IsStarted() const { return bStarted; }
    bool IsDone() const { return bDone.load(std::memory_order_acquire); }
    // Blocks until the scan has ended.
    void Wait();
    // Asks the scan to stop and waits for it; what it found is dropped.
    void Stop();
    // Once done: appends the records found to theFound and those matching no
    // valid build to pUnknown (dropped without it), in the order met, and
    // forgets the thread. False, and nothing moved, before the end.
    bool TakeResults(CProgramList& theFound, CProgramList* pUnknown);

private:
    std::jthread itsThread;
    bool bStarted = false;
    std::atomic<bool> bDone { false };
    CProgramList itsFound;
    CProgramList itsUnknown;
};

// The scan of start-up: ScanDirectory of theFolder against theValid, which
// must not change while it runs.
CCopyCheck::Scan ApplicationsFolderScan(const Cstring& theFolder, const CProgramList& theValid);

// The check start-up began; IsStarted is false when the copies were checked
// before the window opened.
CCopyCheck& StartupCopyCheck();
