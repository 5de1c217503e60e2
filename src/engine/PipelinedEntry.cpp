#include "engine/PipelinedEntry.h"

#include "foundation/Assert.h"

#include <new>
#include <system_error>
#include <zip.h>

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
    delete[] itsBlocks;
}

int CPipelinedEntry::Open(
    const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const Cstring& thePassword)
{
    PW_ASSERT(itsThread.joinable());
    if (bOpen)
        Close();
    if (const int code = itsSource.Open(theArchive, theEntry, thePassword); code != 0)
        return code;
    itsInflater.Start(theEntry);
    bOpen = true;
    itsInput = nullptr;
    itsInputLength = 0;
    bHoldingBlock = false;
    bLastInput = false;
    itsError = 0;
    {
        std::lock_guard<std::mutex> guard(itsLock);
        itsOldest = itsFilled = 0;
        bStopEntry = false;
        bDecrypting = true;
    }
    itsChanged.notify_all();
    return 0;
}

bool CPipelinedEntry::Start()
{
    if (itsThread.joinable())
        return true;
    if (!itsBlocks)
        itsBlocks = new (std::nothrow) Block[kBlocks];
    if (!itsBlocks)
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
            Block& block = itsBlocks[(itsOldest + itsFilled) % kBlocks];
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
    return itsBlocks[itsOldest];
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
        theError = ZIP_ER_INVAL;
        return -1;
    }
    if (itsError != 0) {
        theError = itsError;
        return -1;
    }
    // As the decoder on one thread reads: the buffer filled but at the end,
    // what came before a failure first and the failure with the next call.
    size_t filled = 0;
    while (filled < theSize && !itsInflater.IsFinished()) {
        int error = 0;
        if (itsInputLength == 0 && !bLastInput) {
            if (bHoldingBlock)
                Release();
            const Block& block = NextFilled();
            bHoldingBlock = true;
            if (block.itsKind == kFailed) {
                itsError = block.itsCode;
                break;
            }
            bLastInput = block.itsKind == kEnd;
            itsInput = block.itsData;
            itsInputLength = block.itsLength;
        }
        const int64_t count = itsInflater.Inflate(
            itsInput, itsInputLength, bLastInput, pBuffer + filled, theSize - filled, error);
        if (count < 0) {
            itsError = error;
            break;
        }
        filled += static_cast<size_t>(count);
    }
    if (filled > 0)
        return static_cast<int64_t>(filled);
    if (itsError != 0) {
        theError = itsError;
        return -1;
    }
    return 0;
}

int CPipelinedEntry::Close()
{
    if (bOpen)
        StopEntry();
    bOpen = false;
    return itsError;
}
