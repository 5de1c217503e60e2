#include "engine/ExtractionWorkers.h"

#include "engine/OutputFolder.h"
#include "foundation/UsableCores.h"
#include "zip/PipelinedEntry.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace {

// Larger than the caller's blocks: fewer writes, and no one redraws per block.
constexpr size_t kWorkerBlockSize = 32 * 1024;

} // namespace

int DefaultExtractionWorkers()
{
    return std::min(UsableCores(), CExtractionWorkers::kMostWorkers);
}

class CExtractionWorkers::CJobProgress : public CEntryProgress {
public:
    CJobProgress(std::stop_token theStop, std::atomic<uint64_t>& theBytes)
        : itsStop(std::move(theStop))
        , itsBytes(theBytes)
    {
    }
    bool KeepGoing() override { return !itsStop.stop_requested(); }
    void Written(uint64_t theCount) override { itsBytes.fetch_add(theCount, std::memory_order_relaxed); }

private:
    std::stop_token itsStop;
    std::atomic<uint64_t>& itsBytes;
};

// What a thread that extracts keeps from one entry to the next.
struct CExtractionWorkers::CWorkerState {
    CPipelinedEntry itsData;
    COutputFolder itsFolders;
    std::vector<char> itsBlock = std::vector<char>(kWorkerBlockSize);
};

CExtractionWorkers::CExtractionWorkers(
    const CZipArchiveFile& theArchive, const Cstring& thePassword, int theRoot)
    : itsArchive(theArchive)
    , itsPassword(thePassword)
    , itsRoot(theRoot)
{
}

CExtractionWorkers::~CExtractionWorkers()
{
    Stop();
}

bool CExtractionWorkers::Start(int theCount, CZipDirectoryCursor& theCursor, Placer thePlacer)
{
    itsCursor = &theCursor;
    itsPlacer = std::move(thePlacer);
    Feed();
    try {
        for (int i = 0; i < theCount; ++i)
            itsWorkers.emplace_back(&CExtractionWorkers::Work, this, i);
    } catch (const std::system_error&) {
        // Fewer workers do the same work; with none, Wait does it.
    }
    return !itsWorkers.empty();
}

void CExtractionWorkers::Stop()
{
    {
        // Under the lock, so that a worker about to wait sees it.
        std::lock_guard<std::mutex> guard(itsLock);
        itsStop.request_stop();
    }
    itsJobQueued.notify_all();
    itsWorkers.clear(); // each joins as it goes
    // Entries no worker began end as aborted, so that no one waits for them.
    std::lock_guard<std::mutex> guard(itsLock);
    itsSchedule.TakeEveryJobLeft([this](uint64_t theNumber) {
        Slot(theNumber).itsOutcome.bAborted = true;
        Slot(theNumber).bDone = true;
    });
}

void CExtractionWorkers::Feed()
{
    // Slots between the queued and the reported jobs belong to this thread
    // until they are queued: no worker looks at them.
    uint64_t queued = itsQueued;
    while (!bDirectoryEnded && !itsStop.stop_requested() && queued - itsReported < kJobs) {
        Job& job = Slot(queued);
        if (!itsCursor->Next(job.itsEntry, itsDirectoryError)) {
            std::lock_guard<std::mutex> guard(itsLock);
            bDirectoryEnded = true;
            break;
        }
        job.itsMappedName.Clear();
        job.itsPath.Clear();
        job.itsFolder.Clear();
        job.itsName.Clear();
        job.itsMode = 0644;
        job.itsOutcome = CEntryOutcome();
        job.itsBytesWritten = 0;
        job.bDone = false;
        itsPlacer(job);
        ++queued;
    }
    {
        std::lock_guard<std::mutex> guard(itsLock);
        itsSchedule.Reported(itsReported);
        for (; itsQueued < queued; ++itsQueued)
            itsSchedule.Queue(Slot(itsQueued).itsFolder);
    }
    itsJobQueued.notify_all();
}

const CExtractionWorkers::Job* CExtractionWorkers::Next(int& theError)
{
    Feed();
    theError = 0;
    if (itsReported == itsQueued) {
        theError = itsDirectoryError;
        return nullptr;
    }
    return &Slot(itsReported++);
}

void CExtractionWorkers::Wait(
    const Job& theJob, const std::function<void(uint64_t theBytesWritten)>& theWaiting)
{
    if (itsWorkers.empty()) {
        // No thread could be had: the same steps, on this one.
        // The job waited for is always the one Next gave last.
        if (!theJob.bDone && !itsStop.stop_requested())
            ExtractHere(Slot(itsReported - 1), theWaiting);
        return;
    }
    std::unique_lock<std::mutex> guard(itsLock);
    if (theJob.bDone)
        return;
    // Small entries finish faster than a thread wakes: waiting for the last
    // of the next few as well wakes this thread once for them all. Not for
    // one of another folder that no worker began: it may wait for a folder.
    const uint64_t number = itsReported - 1;
    uint64_t last = number;
    while (last < std::min(number + kWakeBatch, itsQueued - 1)
        && (itsSchedule.IsTaken(last + 1) || itsSchedule.InSameStretch(last + 1, number)))
        ++last;
    const Job& lastJob = Slot(last);
    itsWakeFirst = number;
    itsWakeLast = last;
    while (!theJob.bDone || !lastJob.bDone) {
        if (itsJobDone.wait_for(guard, kPollInterval) == std::cv_status::timeout) {
            if (theJob.bDone)
                break;
            guard.unlock();
            theWaiting(theJob.itsBytesWritten.load(std::memory_order_relaxed));
            guard.lock();
        }
    }
}

void CExtractionWorkers::Work(int theWorker)
{
    CWorkerState state;
    for (;;) {
        uint64_t number = 0;
        {
            std::unique_lock<std::mutex> guard(itsLock);
            itsJobQueued.wait(guard,
                [this] { return itsStop.stop_requested() || itsSchedule.HasUntaken() || bDirectoryEnded; });
            if (itsStop.stop_requested() || !itsSchedule.HasUntaken()) {
                itsSchedule.Leave(theWorker);
                return;
            }
            number = itsSchedule.Take(theWorker);
        }
        CJobProgress progress(itsStop.get_token(), Slot(number).itsBytesWritten);
        Extract(Slot(number), state, progress);
        bool bWaitedFor = false;
        {
            std::lock_guard<std::mutex> guard(itsLock);
            Slot(number).bDone = true;
            bWaitedFor = number == itsWakeFirst || number == itsWakeLast;
        }
        if (bWaitedFor)
            itsJobDone.notify_one();
    }
}

void CExtractionWorkers::Extract(Job& theJob, CWorkerState& theState, CEntryProgress& theProgress)
{
    CEntryExtraction extraction(theState.itsData, theJob.itsEntry, theJob.itsOutcome);
    if (!extraction.OpenEntry(itsArchive, itsPassword))
        return;
    const int folder = theState.itsFolders.OpenIn(itsRoot, theJob.itsFolder);
    if (folder == -1) {
        theJob.itsOutcome.itsFolderError = errno;
        return;
    }
    // The staging folder held nothing: no file is replaced.
    if (theJob.itsName.IsNotEmpty())
        extraction.CreateFile(
            folder, theJob.itsName.GetText(), CTempFileWriter::kCreateInPlace, theJob.itsMode);
    extraction.CopyData(theState.itsBlock.data(), theState.itsBlock.size(), theProgress);
    extraction.Finish(theJob.itsDate);
}

void CExtractionWorkers::ExtractHere(
    Job& theJob, const std::function<void(uint64_t theBytesWritten)>& theWaiting)
{
    // Told of every block, as the caller's poll would be between them.
    class CHereProgress : public CJobProgress {
    public:
        CHereProgress(std::stop_token theStop, Job& theJob, const std::function<void(uint64_t)>& theWaiting)
            : CJobProgress(std::move(theStop), theJob.itsBytesWritten)
            , itsJob(theJob)
            , itsWaiting(theWaiting)
        {
        }
        void Written(uint64_t theCount) override
        {
            CJobProgress::Written(theCount);
            itsWaiting(itsJob.itsBytesWritten.load(std::memory_order_relaxed));
        }

    private:
        Job& itsJob;
        const std::function<void(uint64_t)>& itsWaiting;
    };
    if (!itsHere)
        itsHere = std::make_unique<CWorkerState>();
    itsSchedule.Take(0); // this job: the first one left
    CHereProgress progress(itsStop.get_token(), theJob, theWaiting);
    Extract(theJob, *itsHere, progress);
    theJob.bDone = true;
}
