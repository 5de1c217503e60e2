#pragma once

#include "foundation/Cstring.h"

#include <cstdint>
#include <functional>
#include <vector>

// Which of the queued entries each extraction worker begins next. Files made
// in one folder at the same time wait for each other on the kernel's lock of
// that folder, so a worker stays in its folder while its entries go on, else
// begins a folder that no other worker is in, else takes the first entry
// left. Consecutive entries of one folder form a stretch. Not thread-safe:
// the workers' lock guards it. Jobs are numbered from 0 in the order they
// were queued; a job's slot is reused theSlots jobs later, once the job has
// been reported.
class CJobSchedule {
public:
    CJobSchedule(size_t theSlots, int theWorkers);

    // The next job, whose entry lands in theFolder.
    void Queue(const Cstring& theFolder);
    // Every job before theNumber has been reported: their slots may be reused.
    void Reported(uint64_t theNumber);

    bool HasUntaken() const { return itsUntaken > 0; }
    // The job theWorker begins; only while HasUntaken.
    uint64_t Take(int theWorker);
    // theWorker begins no more jobs.
    void Leave(int theWorker);
    // Takes every job no worker began, and tells each.
    void TakeEveryJobLeft(const std::function<void(uint64_t theNumber)>& theTaken);

    // Of a queued job that is not yet reported.
    bool IsTaken(uint64_t theNumber) const { return Slot(theNumber).bTaken; }
    bool InSameStretch(uint64_t theNumber, uint64_t theOther) const
    {
        return Slot(theNumber).itsStretch == Slot(theOther).itsStretch;
    }

private:
    struct Place {
        uint64_t itsStretch = 0;
        bool bTaken = false;
    };
    static constexpr uint64_t kNone = UINT64_MAX;

    Place& Slot(uint64_t theNumber) { return itsSlots[theNumber % itsSlots.size()]; }
    const Place& Slot(uint64_t theNumber) const { return itsSlots[theNumber % itsSlots.size()]; }
    bool IsBusy(uint64_t theStretch, size_t theAsker) const;
    // The first job after theNumber in a later stretch, or the end of the queue.
    uint64_t NextStretch(uint64_t theNumber) const;

    std::vector<Place> itsSlots;
    uint64_t itsQueued = 0;
    uint64_t itsUntaken = 0;
    uint64_t itsFirstUntaken = 0; // no job before it is untaken
    uint64_t itsStretches = 0;
    Cstring itsLastFolder;
    // Per worker: the stretch it is in and the job it began last.
    std::vector<uint64_t> itsWorkerStretch;
    std::vector<uint64_t> itsWorkerLast;
};
