#pragma once

#include "zip/EntryData.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Reads and decrypts a large entry's stored bytes on a thread of its own
// while the reading thread inflates them: decryption cannot be split within
// an entry, but it can run beside inflating and writing, so that on two
// cores a large entry takes about as long as its decryption alone. The
// thread waits between entries; a few blocks lie between the two. A smaller
// entry is read on the reading thread into the first of the same blocks and
// by the same inflater, so that entries of every size share one set of
// buffers, and an archive of small entries needs no second thread at all.
class CPipelinedEntry : public CEntryData {
public:
    // Blocks twice as large save only a few percent of a large entry's time,
    // for 48 KB more of each worker's memory.
    static constexpr size_t kBlockSize = 16 * 1024;
    // Below this, handing blocks between threads costs more than it saves.
    static constexpr uint64_t kOwnThreadSize = 1024 * 1024;

    CPipelinedEntry() = default;
    CPipelinedEntry(const CPipelinedEntry&) = delete;
    CPipelinedEntry& operator=(const CPipelinedEntry&) = delete;
    ~CPipelinedEntry() override;

    // The decrypting thread starts with the first large entry. When it or
    // its blocks cannot be had, the entry is read on this thread instead;
    // kZipErrorMemory when not even that can be done.
    int Open(const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword) override;
    int64_t Read(char* pBuffer, size_t theSize, int& theError) override;
    int Close() override;
    std::string GetFailure() const override;

private:
    enum BlockKind { kData, kEnd, kFailed };
    struct Block {
        BlockKind itsKind = kData;
        int itsCode = 0;
        size_t itsLength = 0;
        char itsData[kBlockSize];
    };
    static constexpr size_t kBlocks = 3;

    bool AllocateBlocks(size_t theCount);
    bool StartThread();
    void Decrypt();
    // Reading side: the oldest block the decrypting thread has filled.
    Block& NextFilled();
    void Release();
    // Reading side: stops the decrypting thread's entry and waits for it.
    void StopEntry();

    CZipEntrySource itsSource;
    std::thread itsThread;
    std::unique_ptr<Block> itsBlocks[kBlocks];

    std::mutex itsLock;
    std::condition_variable itsChanged;
    size_t itsOldest = 0;
    size_t itsFilled = 0;
    bool bDecrypting = false; // the thread has an entry to read
    bool bStopEntry = false;
    bool bQuit = false;

    // Reading side.
    CInflatingReader itsReader;
    bool bHoldingBlock = false;
    bool bOpen = false;
    bool bOnThisThread = false; // the open entry is read here, not beside
    std::string itsOpenFailure;
};
