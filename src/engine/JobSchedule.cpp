#include "engine/JobSchedule.h"

#include <algorithm>

CJobSchedule::CJobSchedule(size_t theSlots, int theWorkers)
    : itsSlots(theSlots)
    , itsWorkerStretch(static_cast<size_t>(std::max(theWorkers, 0)), kNone)
    , itsWorkerLast(itsWorkerStretch.size(), kNone)
{
}

void CJobSchedule::Queue(const Cstring& theFolder)
{
    if (itsQueued == 0 || theFolder != itsLastFolder) {
        itsLastFolder = theFolder;
        ++itsStretches;
    }
    Slot(itsQueued++) = { itsStretches, false };
    ++itsUntaken;
}

void CJobSchedule::Reported(uint64_t theNumber)
{
    // A reported job was taken, and its slot may hold a later job by now.
    itsFirstUntaken = std::max(itsFirstUntaken, theNumber);
}

uint64_t CJobSchedule::Take(int theWorker)
{
    while (itsFirstUntaken < itsQueued && Slot(itsFirstUntaken).bTaken)
        ++itsFirstUntaken;
    const size_t worker = static_cast<size_t>(theWorker);
    uint64_t chosen = itsFirstUntaken;
    if (const uint64_t next = itsWorkerLast[worker] + 1; itsWorkerLast[worker] != kNone
        && next >= itsFirstUntaken && next < itsQueued && !Slot(next).bTaken
        && Slot(next).itsStretch == itsWorkerStretch[worker]) {
        chosen = next;
    } else {
        for (uint64_t number = itsFirstUntaken; number < itsQueued;) {
            if (IsBusy(Slot(number).itsStretch, worker)) {
                number = NextStretch(number);
            } else if (Slot(number).bTaken) {
                ++number;
            } else {
                chosen = number;
                break;
            }
        }
    }
    Slot(chosen).bTaken = true;
    --itsUntaken;
    itsWorkerStretch[worker] = Slot(chosen).itsStretch;
    itsWorkerLast[worker] = chosen;
    return chosen;
}

void CJobSchedule::Leave(int theWorker)
{
    itsWorkerStretch[static_cast<size_t>(theWorker)] = kNone;
}

void CJobSchedule::TakeEveryJobLeft(const std::function<void(uint64_t theNumber)>& theTaken)
{
    for (uint64_t number = itsFirstUntaken; number < itsQueued; ++number) {
        if (!Slot(number).bTaken) {
            Slot(number).bTaken = true;
            theTaken(number);
        }
    }
    itsUntaken = 0;
    itsFirstUntaken = itsQueued;
}

bool CJobSchedule::IsBusy(uint64_t theStretch, size_t theAsker) const
{
    for (size_t worker = 0; worker < itsWorkerStretch.size(); ++worker)
        if (worker != theAsker && itsWorkerStretch[worker] == theStretch)
            return true;
    return false;
}

uint64_t CJobSchedule::NextStretch(uint64_t theNumber) const
{
    // Stretches grow with the job numbers: halving passes over a folder of
    // many entries without a step per entry.
    const uint64_t stretch = Slot(theNumber).itsStretch;
    uint64_t past = itsQueued;
    while (theNumber + 1 < past) {
        const uint64_t middle = theNumber + (past - theNumber) / 2;
        (Slot(middle).itsStretch > stretch ? past : theNumber) = middle;
    }
    return past;
}
