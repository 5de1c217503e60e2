#include "engine/ExtractionWorkers.h"

#include "engine/OutputFolder.h"
#include "zip/PipelinedEntry.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace {

// Larger than the caller's blocks: fewer writes, and no one redraws per block.
constexpr size_t kWorkerBlockSize = 32 * 1024;

class CJobProgress : public CEntryProgress {
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

} // namespace

CExtractionWorkers::CExtractionWorkers(
    const CZipArchiveFile& theArchive, const Cstring& thePassword, int theRoot)
    : itsArchive(theArchive)
    , itsPassword(thePassword)
    , itsRoot(theRoot)
{
}

bool CExtractionWorkers::Start(int theCount, CZipDirectoryCursor& theCursor, Placer thePlacer)
{
    itsCursor = &theCursor;
    itsPlacer = std::move(thePlacer);
    Feed();
    try {
        for (int i = 0; i < theCount; ++i)
            itsWorkers.emplace_back(&CExtractionWorkers::Work, this);
    } catch (const std::system_error&) {
        // Fewer workers do the same work; none at all leaves it to the caller.
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
    for (; itsTaken < itsQueued; ++itsTaken) {
        Slot(itsTaken).itsOutcome.bAborted = true;
        Slot(itsTaken).bDone = true;
    }
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
        itsQueued = queued;
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
    std::unique_lock<std::mutex> guard(itsLock);
    if (theJob.bDone)
        return;
    // Small entries finish faster than a thread wakes: waiting for the last
    // of the next few as well wakes this thread once for them all.
    const uint64_t number = itsReported - 1;
    const uint64_t last = std::min(number + kWakeBatch, itsQueued - 1);
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

void CExtractionWorkers::Work()
{
    CPipelinedEntry data;
    COutputFolder folders;
    std::vector<char> block(kWorkerBlockSize);
    for (;;) {
        uint64_t number = 0;
        {
            std::unique_lock<std::mutex> guard(itsLock);
            itsJobQueued.wait(guard,
                [this] { return itsStop.stop_requested() || itsTaken < itsQueued || bDirectoryEnded; });
            if (itsStop.stop_requested() || itsTaken == itsQueued)
                return;
            number = itsTaken++;
        }
        Job& job = Slot(number);
        CEntryExtraction extraction(data, job.itsEntry, job.itsOutcome);
        if (extraction.OpenEntry(itsArchive, itsPassword)) {
            const int folder = folders.OpenIn(itsRoot, job.itsFolder);
            if (folder == -1) {
                job.itsOutcome.itsFolderError = errno;
            } else {
                // The staging folder held nothing: no file is replaced.
                if (job.itsName.IsNotEmpty())
                    extraction.CreateFile(
                        folder, job.itsName.GetText(), CTempFileWriter::kCreateInPlace, job.itsMode);
                CJobProgress progress(itsStop.get_token(), job.itsBytesWritten);
                extraction.CopyData(block.data(), block.size(), progress);
                extraction.Finish(job.itsDate);
            }
        }
        bool bWaitedFor = false;
        {
            std::lock_guard<std::mutex> guard(itsLock);
            job.bDone = true;
            bWaitedFor = number == itsWakeFirst || number == itsWakeLast;
        }
        if (bWaitedFor)
            itsJobDone.notify_one();
    }
}
