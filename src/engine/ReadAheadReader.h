#pragma once

#include "engine/EntryReader.h"
#include "engine/ZipHandles.h"
#include "foundation/Cstring.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// Reads the entries in index order on a second thread, with its own archive
// handle, while the caller writes what was read before: decryption and
// inflation, most of an extraction's time, then overlap the file writes.
// The caller sees exactly the blocks a direct reader would give. At most
// kChunks blocks wait, so memory does not grow with the archive; Stop (and
// the destructor) ends the worker at its next block.
class CReadAheadReader : public CEntryReader {
public:
    static constexpr size_t kBlockSize = 16384;

    CReadAheadReader() = default;
    CReadAheadReader(const CReadAheadReader&) = delete;
    CReadAheadReader& operator=(const CReadAheadReader&) = delete;
    ~CReadAheadReader() override { Stop(); }

    // Opens the archive again and starts reading the entries theFirst,
    // theFirst + theStride, ... below theEntryCount. False when that cannot
    // be done; the caller then reads directly.
    bool Start(const char* theArchivePath, const Cstring& thePassword, uint64_t theEntryCount,
        uint64_t theFirst = 0, uint64_t theStride = 1);
    void Stop();

    // Entries must be opened in index order, each one once.
    int Open(uint64_t theIndex) override;
    // theSize must hold a whole block.
    int64_t Read(char* pBuffer, size_t theSize, int& theError) override;
    int Close() override;

private:
    enum ChunkKind { kOpened, kData, kEnded, kFailed };
    struct Chunk {
        uint64_t itsEntry = 0;
        ChunkKind itsKind = kData;
        int itsCode = 0; // libzip's code for kOpened, kEnded, kFailed
        size_t itsLength = 0;
        char itsData[kBlockSize];
    };
    static constexpr size_t kChunks = 64;

    void Work();
    // Worker side: the next free chunk, or null once stopped.
    Chunk* NextFree();
    void Publish();
    // Caller side: the oldest chunk (null when the worker ended early), then
    // its release.
    const Chunk* NextReady();
    void Release();
    // Caller side: consumes chunks up to the end of the current entry.
    void SkipRestOfEntry();

    CZipArchiveHandle itsArchive;
    Cstring itsPassword;
    uint64_t itsEntryCount = 0;
    uint64_t itsFirst = 0;
    uint64_t itsStride = 1;
    std::thread itsWorker;

    std::mutex itsLock;
    std::condition_variable itsSpaceFreed;
    std::condition_variable itsChunkReady;
    Chunk* itsChunks = nullptr;
    size_t itsOldest = 0;
    size_t itsReadyCount = 0;
    bool bStopping = false;
    bool bWorkerDone = false;

    // Caller's state of the entry it has open.
    bool bInEntry = false;
    int itsEndCode = 0;
};

// Deals the entries round-robin to several read-ahead readers, so that one
// large entry's decryption does not hold up the next ones while cores are
// free. The caller still sees the entries in index order.
class CStripedReader : public CEntryReader {
public:
    static constexpr int kMaxReaders = 2;

    // Starts up to theReaders readers (at least one); false when none can be
    // started.
    bool Start(
        const char* theArchivePath, const Cstring& thePassword, uint64_t theEntryCount, int theReaders);

    int Open(uint64_t theIndex) override;
    int64_t Read(char* pBuffer, size_t theSize, int& theError) override;
    int Close() override;

private:
    CReadAheadReader itsReaders[kMaxReaders];
    int itsReaderCount = 0;
    CReadAheadReader* itsCurrent = nullptr;
};
