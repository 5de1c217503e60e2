#include "engine/ReadAheadReader.h"

#include "foundation/Assert.h"

#include <cstring>
#include <new>
#include <system_error>
#include <zip.h>

bool CReadAheadReader::Start(const char* theArchivePath, const Cstring& thePassword, uint64_t theEntryCount,
    uint64_t theFirst, uint64_t theStride)
{
    PW_ASSERT(theStride > 0);
    PW_ASSERT(!itsWorker.joinable());
    int error = 0;
    // The caller's handle has checked the archive's consistency already.
    itsArchive.reset(theArchivePath ? zip_open(theArchivePath, ZIP_RDONLY, &error) : nullptr);
    if (!itsArchive || zip_get_num_entries(itsArchive.get(), 0) != static_cast<zip_int64_t>(theEntryCount)) {
        itsArchive.reset();
        return false;
    }
    itsChunks = new (std::nothrow) Chunk[kChunks];
    if (!itsChunks) {
        itsArchive.reset();
        return false;
    }
    itsPassword = thePassword;
    itsEntryCount = theEntryCount;
    itsOldest = itsReadyCount = 0;
    bStopping = bWorkerDone = bInEntry = false;
    itsEndCode = 0;
    itsFirst = theFirst;
    itsStride = theStride;
    try {
        itsWorker = std::thread(&CReadAheadReader::Work, this);
    } catch (const std::system_error&) { // no thread to be had: read directly
        delete[] itsChunks;
        itsChunks = nullptr;
        itsArchive.reset();
        return false;
    }
    return true;
}

void CReadAheadReader::Stop()
{
    if (itsWorker.joinable()) {
        {
            std::lock_guard<std::mutex> guard(itsLock);
            bStopping = true;
        }
        itsSpaceFreed.notify_all();
        itsWorker.join();
    }
    delete[] itsChunks;
    itsChunks = nullptr;
    itsArchive.reset();
}

void CReadAheadReader::Work()
{
    for (uint64_t index = itsFirst; index < itsEntryCount; index += itsStride) {
        CZipEntryHandle entry(OpenZipEntry(itsArchive.get(), index, itsPassword));
        Chunk* chunk = NextFree();
        if (!chunk)
            return;
        chunk->itsEntry = index;
        chunk->itsKind = kOpened;
        chunk->itsCode = entry ? 0 : ZipArchiveErrorCode(itsArchive.get());
        Publish();
        while (entry) {
            chunk = NextFree();
            if (!chunk)
                return;
            chunk->itsEntry = index;
            const zip_int64_t count = zip_fread(entry.get(), chunk->itsData, kBlockSize);
            if (count > 0) {
                chunk->itsKind = kData;
                chunk->itsLength = static_cast<size_t>(count);
            } else if (count == 0) {
                chunk->itsKind = kEnded;
                chunk->itsCode = zip_fclose(entry.release());
            } else {
                chunk->itsKind = kFailed;
                chunk->itsCode = ZipEntryErrorCode(entry.get());
                entry.reset();
            }
            Publish();
        }
    }
    std::lock_guard<std::mutex> guard(itsLock);
    bWorkerDone = true;
    itsChunkReady.notify_all();
}

CReadAheadReader::Chunk* CReadAheadReader::NextFree()
{
    std::unique_lock<std::mutex> guard(itsLock);
    itsSpaceFreed.wait(guard, [this] { return bStopping || itsReadyCount < kChunks; });
    return bStopping ? nullptr : &itsChunks[(itsOldest + itsReadyCount) % kChunks];
}

void CReadAheadReader::Publish()
{
    {
        std::lock_guard<std::mutex> guard(itsLock);
        ++itsReadyCount;
    }
    itsChunkReady.notify_one();
}

const CReadAheadReader::Chunk* CReadAheadReader::NextReady()
{
    std::unique_lock<std::mutex> guard(itsLock);
    itsChunkReady.wait(guard, [this] { return itsReadyCount > 0 || bWorkerDone; });
    return itsReadyCount > 0 ? &itsChunks[itsOldest] : nullptr;
}

void CReadAheadReader::Release()
{
    {
        std::lock_guard<std::mutex> guard(itsLock);
        itsOldest = (itsOldest + 1) % kChunks;
        --itsReadyCount;
    }
    itsSpaceFreed.notify_one();
}

int CReadAheadReader::Open(uint64_t theIndex)
{
    if (bInEntry)
        SkipRestOfEntry();
    const Chunk* chunk = NextReady();
    if (!chunk)
        return ZIP_ER_INTERNAL;
    PW_ASSERT(chunk->itsKind == kOpened && chunk->itsEntry == theIndex);
    const int code = chunk->itsCode;
    Release();
    bInEntry = code == 0;
    itsEndCode = 0;
    return code;
}

int64_t CReadAheadReader::Read(char* pBuffer, size_t theSize, int& theError)
{
    if (!bInEntry)
        return 0;
    const Chunk* chunk = NextReady();
    if (!chunk) {
        bInEntry = false;
        theError = ZIP_ER_INTERNAL;
        return -1;
    }
    int64_t result = 0;
    switch (chunk->itsKind) {
    case kData:
        PW_ASSERT(chunk->itsLength <= theSize);
        std::memcpy(pBuffer, chunk->itsData, chunk->itsLength);
        result = static_cast<int64_t>(chunk->itsLength);
        break;
    case kEnded:
        itsEndCode = chunk->itsCode;
        bInEntry = false;
        break;
    default:
        theError = chunk->itsCode;
        bInEntry = false;
        result = -1;
        break;
    }
    Release();
    return result;
}

int CReadAheadReader::Close()
{
    // An entry left before its end is skipped by the next Open, so that an
    // abort does not wait for the rest of a large entry.
    return bInEntry ? 0 : itsEndCode;
}

void CReadAheadReader::SkipRestOfEntry()
{
    char block[kBlockSize];
    int error = 0;
    while (bInEntry && Read(block, sizeof block, error) > 0) { }
    bInEntry = false;
}

bool CStripedReader::Start(
    const char* theArchivePath, const Cstring& thePassword, uint64_t theEntryCount, int theReaders)
{
    const int wanted = theReaders < 1 ? 1 : theReaders > kMaxReaders ? kMaxReaders : theReaders;
    itsReaderCount = 0;
    for (int i = 0; i < wanted; ++i) {
        if (!itsReaders[i].Start(theArchivePath, thePassword, theEntryCount, static_cast<uint64_t>(i),
                static_cast<uint64_t>(wanted))) {
            for (int j = 0; j < i; ++j)
                itsReaders[j].Stop();
            // Fewer readers deal the entries differently: start again.
            return wanted > 1 && Start(theArchivePath, thePassword, theEntryCount, wanted - 1);
        }
    }
    itsReaderCount = wanted;
    return true;
}

int CStripedReader::Open(uint64_t theIndex)
{
    PW_ASSERT(itsReaderCount > 0);
    itsCurrent = &itsReaders[theIndex % static_cast<uint64_t>(itsReaderCount)];
    return itsCurrent->Open(theIndex);
}

int64_t CStripedReader::Read(char* pBuffer, size_t theSize, int& theError)
{
    return itsCurrent ? itsCurrent->Read(pBuffer, theSize, theError) : 0;
}

int CStripedReader::Close()
{
    return itsCurrent ? itsCurrent->Close() : 0;
}
