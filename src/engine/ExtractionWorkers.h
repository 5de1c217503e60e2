#pragma once

#include "engine/EntryExtraction.h"
#include "engine/JobSchedule.h"
#include "foundation/Cstring.h"
#include "zip/ZipArchiveFile.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <sys/types.h>
#include <thread>
#include <vector>

// One worker for each core the process may use, up to kMostWorkers.
int DefaultExtractionWorkers();

// Extracts the entries of an archive into a fresh staging folder on worker
// threads, several entries at once, while the caller takes their outcomes in
// the archive's order and reports them: the log, the progress and the
// questions stay on the caller's thread. Workers keep to folders of their own
// where they can (CJobSchedule). Each worker does a whole entry
// (reading, decryption, inflation, writing), so entries of any size overlap
// without buffers in between: the files themselves hold what is done. At
// most kJobs entries are under way or waiting, so memory does not grow with
// the archive.
class CExtractionWorkers {
public:
    // An entry on its way, and what became of it.
    struct Job {
        CZipEntry itsEntry;
        Cstring itsMappedName; // the entry's name as extracted
        Cstring itsPath; // where it lands, as the log names it
        Cstring itsFolder; // relative to the root, "" for the root itself
        Cstring itsName; // empty for a folder entry
        mode_t itsMode = 0644;
        time_t itsDate = 0;
        CEntryOutcome itsOutcome;
        std::atomic<uint64_t> itsBytesWritten { 0 };
        bool bDone = false; // guarded by the workers' lock
    };
    // Fills in a job's place and mode from its entry; called on the
    // caller's thread, in order.
    using Placer = std::function<void(Job& theJob)>;

    // Far enough ahead for the workers to be in folders of their own while
    // the caller reports from another (CJobSchedule).
    static constexpr size_t kJobs = 256;

    // theArchive and the open folder theRoot must outlive the workers.
    CExtractionWorkers(const CZipArchiveFile& theArchive, const Cstring& thePassword, int theRoot);
    CExtractionWorkers(const CExtractionWorkers&) = delete;
    CExtractionWorkers& operator=(const CExtractionWorkers&) = delete;
    ~CExtractionWorkers();

    // Starts up to theCount workers over the entries that theCursor gives
    // from here on; false when no thread can be had: each entry is then
    // extracted, by the same steps, on the caller's thread in Wait.
    bool Start(int theCount, CZipDirectoryCursor& theCursor, Placer thePlacer);
    // Asks the workers to leave their entries at the next block and waits
    // for them; outcomes not yet taken are then of no use.
    void Stop();

    // The next entry in order, valid until the next call: null when the
    // directory ended (theError 0) or failed (theError holds the code).
    const Job* Next(int& theError);
    // Waits until theJob, the one Next gave, is done. Meanwhile theWaiting
    // is called about every kPollInterval with the bytes written of it so
    // far, and may Stop the workers: the entry then ends as aborted.
    void Wait(const Job& theJob, const std::function<void(uint64_t theBytesWritten)>& theWaiting);

    static constexpr std::chrono::milliseconds kPollInterval { 20 };
    static constexpr uint64_t kWakeBatch = 8;

    // At most this many workers: beyond it, the caller's one thread that logs
    // and reports every entry, and the disk, set the pace.
    static constexpr int kMostWorkers = 8;

private:
    class CJobProgress;
    struct CWorkerState;

    void Work(int theWorker);
    void Extract(Job& theJob, CWorkerState& theState, CEntryProgress& theProgress);
    void ExtractHere(Job& theJob, const std::function<void(uint64_t theBytesWritten)>& theWaiting);
    void Feed();
    Job& Slot(uint64_t theNumber) { return itsJobs[theNumber % kJobs]; }

    const CZipArchiveFile& itsArchive;
    Cstring itsPassword;
    int itsRoot;
    CZipDirectoryCursor* itsCursor = nullptr;
    Placer itsPlacer;
    std::vector<std::jthread> itsWorkers;
    std::unique_ptr<CWorkerState> itsHere; // for the caller's thread, when no worker started
    std::unique_ptr<Job[]> itsJobs = std::make_unique<Job[]>(kJobs);

    std::mutex itsLock;
    std::condition_variable itsJobQueued;
    std::condition_variable itsJobDone;
    uint64_t itsQueued = 0; // jobs handed in so far
    CJobSchedule itsSchedule { kJobs, kMostWorkers };
    uint64_t itsReported = 0; // jobs the caller has taken back
    // The jobs whose end the caller waits for.
    uint64_t itsWakeFirst = UINT64_MAX;
    uint64_t itsWakeLast = UINT64_MAX;
    bool bDirectoryEnded = false;
    int itsDirectoryError = 0;
    // Asked for by Stop: every worker leaves its entry at the next block.
    std::stop_source itsStop;
};
