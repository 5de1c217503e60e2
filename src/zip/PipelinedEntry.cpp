#include "zip/PipelinedEntry.h"
#include "zip/ZipErrors.h"

#include <new>
#include <system_error>

CPipelinedEntry::~CPipelinedEntry()
{
    if (bOpen)
        Close();
    if (itsThread.joinable()) {
        {
            std::lock_guard<std::mutex> guard(itsLock);
            bQuit = true;
        }
        itsChanged.notify_all();
        itsThread.join();
    }
}

int CPipelinedEntry::Open(
    const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword)
{
    if (bOpen)
        Close();
    itsReader.Reset();
    itsOpenFailure.clear();
    if (!AllocateBlocks(1)) {
        itsOpenFailure = "no memory for the entry's data";
        return kZipErrorMemory;
    }
    if (const int code = itsSource.Open(theArchive, theEntry, thePassword); code != 0) {
        itsOpenFailure = itsSource.GetFailure();
        return code;
    }
    itsReader.Start(theEntry);
    bOpen = true;
    bHoldingBlock = false;
    bOnThisThread = theEntry.itsCompressedSize < kOwnThreadSize || !StartThread();
    if (bOnThisThread)
        return 0;
    {
        std::lock_guard<std::mutex> guard(itsLock);
        itsOldest = itsFilled = 0;
        bStopEntry = false;
        bDecrypting = true;
    }
    itsChanged.notify_all();
    return 0;
}

bool CPipelinedEntry::AllocateBlocks(size_t theCount)
{
    for (size_t i = 0; i < theCount; ++i) {
        if (!itsBlocks[i])
            itsBlocks[i].reset(new (std::nothrow) Block);
        if (!itsBlocks[i])
            return false;
    }
    return true;
}

bool CPipelinedEntry::StartThread()
{
    if (itsThread.joinable())
        return true;
    if (!AllocateBlocks(kBlocks))
        return false;
    try {
        itsThread = std::thread(&CPipelinedEntry::Decrypt, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CPipelinedEntry::Decrypt()
{
    std::unique_lock<std::mutex> guard(itsLock);
    for (;;) {
        itsChanged.wait(guard, [this] { return bQuit || bDecrypting; });
        if (bQuit)
            return;
        for (;;) {
            itsChanged.wait(guard, [this] { return bQuit || bStopEntry || itsFilled < kBlocks; });
            if (bQuit)
                return;
            if (bStopEntry)
                break;
            // The slot past the filled ones is this thread's until it is counted.
            Block& block = *itsBlocks[(itsOldest + itsFilled) % kBlocks];
            guard.unlock();
            int error = 0;
            const int64_t count = itsSource.Read(block.itsData, kBlockSize, error);
            block.itsKind = count > 0 ? kData : count == 0 ? kEnd : kFailed;
            block.itsLength = count > 0 ? static_cast<size_t>(count) : 0;
            block.itsCode = error;
            guard.lock();
            ++itsFilled;
            itsChanged.notify_all();
            if (block.itsKind != kData)
                break;
        }
        bDecrypting = false;
        itsChanged.notify_all();
    }
}

CPipelinedEntry::Block& CPipelinedEntry::NextFilled()
{
    std::unique_lock<std::mutex> guard(itsLock);
    itsChanged.wait(guard, [this] { return itsFilled > 0; });
    return *itsBlocks[itsOldest];
}

void CPipelinedEntry::Release()
{
    {
        std::lock_guard<std::mutex> guard(itsLock);
        itsOldest = (itsOldest + 1) % kBlocks;
        --itsFilled;
    }
    itsChanged.notify_all();
}

void CPipelinedEntry::StopEntry()
{
    std::unique_lock<std::mutex> guard(itsLock);
    bStopEntry = true;
    itsChanged.notify_all();
    itsChanged.wait(guard, [this] { return !bDecrypting; });
    itsOldest = itsFilled = 0;
    bHoldingBlock = false;
}

int64_t CPipelinedEntry::Read(char* pBuffer, size_t theSize, int& theError)
{
    if (!bOpen) {
        theError = kZipErrorInvalid;
        return -1;
    }
    // The decoder's own loop, fed by reads on this thread or from the blocks
    // the other thread filled.
    return itsReader.Read(
        pBuffer, theSize, theError, [this](const char*& pData, int& theReadError) -> int64_t {
            if (bOnThisThread) {
                pData = itsBlocks[0]->itsData;
                return itsSource.Read(itsBlocks[0]->itsData, kBlockSize, theReadError);
            }
            if (bHoldingBlock)
                Release();
            const Block& block = NextFilled();
            bHoldingBlock = true;
            if (block.itsKind == kFailed) {
                theReadError = block.itsCode;
                return -1;
            }
            pData = block.itsData;
            return static_cast<int64_t>(block.itsLength);
        });
}

int CPipelinedEntry::Close()
{
    if (bOpen && !bOnThisThread)
        StopEntry();
    bOpen = false;
    return itsReader.Error();
}

std::string CPipelinedEntry::GetFailure() const
{
    return itsOpenFailure.empty() ? itsReader.GetFailure() : itsOpenFailure;
}
