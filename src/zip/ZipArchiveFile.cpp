#include "zip/ZipArchiveFile.h"

#include "zip/ZipErrors.h"
#include "zip/ZipRecords.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace zip_records;

namespace {

constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());

// The end record lies in the last bytes: its own, a comment of up to 64 KB,
// and room for the zip64 locator before it.
constexpr size_t kTailSize = kEndSize + kMaxCommentLength + kZip64LocatorSize;

} // namespace

time_t CZipEntry::GetModificationTime() const
{
    Convert();
    return itsModificationTime;
}

uint16_t CZipEntry::GetModificationDosTime() const
{
    Convert();
    return itsModificationDosTime;
}

void CZipEntry::Convert() const
{
    // Keyed by the stamp itself, so that an entry reused for the next one
    // converts again.
    const uint32_t stamp = (static_cast<uint32_t>(itsDosDate) << 16) | itsDosTime;
    if (bConverted && itsConvertedStamp == stamp)
        return;
    itsModificationTime = DosToTime(itsDosTime, itsDosDate);
    itsModificationDosTime = TimeToDosTime(itsModificationTime);
    itsConvertedStamp = stamp;
    bConverted = true;
}

CZipArchiveFile::~CZipArchiveFile()
{
    Close();
}

void CZipArchiveFile::Close()
{
    if (itsFile != -1)
        close(itsFile);
    itsFile = -1;
    itsFileSize = itsDirectoryOffset = itsDirectorySize = itsDeclaredCount = itsEntryCount = 0;
    bZip64 = false;
}

int CZipArchiveFile::Open(const char* thePath)
{
    Close();
    itsFile = thePath ? open(thePath, O_RDONLY | O_CLOEXEC) : -1;
    if (itsFile == -1)
        return thePath && errno == ENOENT ? kZipErrorNoEntry : kZipErrorOpen;
    struct stat info;
    if (fstat(itsFile, &info) != 0) {
        Close();
        return kZipErrorRead;
    }
    itsFileSize = static_cast<uint64_t>(info.st_size);
    if (int error = FindDirectory()) {
        Close();
        return error;
    }
    posix_fadvise(itsFile, 0, 0, POSIX_FADV_SEQUENTIAL);
    return 0;
}

int CZipArchiveFile::ReadAt(uint64_t theOffset, void* pBuffer, size_t theLength) const
{
    auto* at = static_cast<char*>(pBuffer);
    while (theLength > 0) {
        if (theOffset > kMaxOffset)
            return kZipErrorEndOfFile;
        const ssize_t count = pread(itsFile, at, theLength, static_cast<off_t>(theOffset));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return kZipErrorRead;
        if (count == 0)
            return kZipErrorEndOfFile;
        at += count;
        theOffset += static_cast<uint64_t>(count);
        theLength -= static_cast<size_t>(count);
    }
    return 0;
}

// Every end-record signature in the tail is a candidate, the earliest first;
// a comment may hold the signature's bytes, so a candidate whose directory
// does not check out makes way for the next one.
int CZipArchiveFile::FindDirectory()
{
    if (itsFileSize < kEndSize)
        return kZipErrorNotZip;
    const size_t tailSize = itsFileSize < kTailSize ? static_cast<size_t>(itsFileSize) : kTailSize;
    const uint64_t tailOffset = itsFileSize - tailSize;
    std::vector<unsigned char> tail(tailSize);
    if (int error = ReadAt(tailOffset, tail.data(), tailSize))
        return error;

    int error = kZipErrorNotZip;
    const size_t first = tailSize == kTailSize ? kZip64LocatorSize : 0;
    for (size_t at = first; at + kEndSize <= tailSize; ++at) {
        if (tail[at] != 'P' || Get32(&tail[at]) != kEndSignature)
            continue;
        error = ReadEndRecord(tail, tailOffset, at);
        if (error == 0)
            error = CheckDirectory();
        if (error == 0)
            return 0;
    }
    return error;
}

int CZipArchiveFile::ReadEndRecord(
    const std::vector<unsigned char>& theTail, uint64_t theTailOffset, size_t theAt)
{
    const unsigned char* record = &theTail[theAt];
    const uint64_t position = theTailOffset + theAt;
    bZip64 = false;
    if (theAt >= kZip64LocatorSize && Get32(record - kZip64LocatorSize) == kZip64LocatorSignature) {
        if (int error = ReadZip64End(theTail, theTailOffset, theAt - kZip64LocatorSize))
            return error;
    } else {
        if (Get32(record + 4) != 0)
            return kZipErrorMultiDisk;
        if (Get16(record + 8) != Get16(record + 10))
            return kZipErrorNotZip;
        itsDeclaredCount = Get16(record + 10);
        itsDirectorySize = Get32(record + 12);
        itsDirectoryOffset = Get32(record + 16);
        if (itsDirectoryOffset + itsDirectorySize > position)
            return kZipErrorInconsistent;
    }
    // Nothing may follow the comment.
    if (Get16(record + 20) != theTail.size() - theAt - kEndSize)
        return kZipErrorInconsistent;
    return 0;
}

int CZipArchiveFile::ReadZip64End(
    const std::vector<unsigned char>& theTail, uint64_t theTailOffset, size_t theAt)
{
    const unsigned char* locator = &theTail[theAt];
    const uint64_t locatorPosition = theTailOffset + theAt;
    const uint64_t position = Get64(locator + 8);
    if (position > kMaxOffset)
        return kZipErrorSeek;
    if (position + kZip64EndSize > locatorPosition)
        return kZipErrorInconsistent;
    unsigned char record[kZip64EndSize];
    if (int error = ReadAt(position, record, sizeof record))
        return error;
    if (Get32(record) != kZip64EndSignature)
        return kZipErrorInconsistent;
    // libzip takes the disk numbers from the locator's 32-bit field read as
    // two 16-bit halves, and from the record only where a half is 0xFFFF.
    const uint32_t disks = Get16(locator + 4) == 0xFFFF ? Get32(record + 16) : Get16(locator + 4);
    const uint32_t directoryDisk = Get16(locator + 6) == 0xFFFF ? Get32(record + 20) : Get16(locator + 6);
    if (disks != 0 || directoryDisk != 0)
        return kZipErrorMultiDisk;
    if (Get64(record + 24) != Get64(record + 32))
        return kZipErrorMultiDisk;
    itsDeclaredCount = Get64(record + 32);
    itsDirectorySize = Get64(record + 40);
    itsDirectoryOffset = Get64(record + 48);
    if (itsDirectoryOffset > kMaxOffset
        || itsDirectorySize > std::numeric_limits<uint64_t>::max() - itsDirectoryOffset)
        return kZipErrorSeek;
    if (itsDirectoryOffset + itsDirectorySize > position
        || itsDeclaredCount > itsDirectorySize / kCentralHeaderSize)
        return kZipErrorInconsistent;
    bZip64 = true;
    return 0;
}

// Walks the whole directory once, so that a damaged one is refused before
// any entry is used, and counts the entries.
int CZipArchiveFile::CheckDirectory()
{
    CZipDirectoryCursor cursor(*this);
    cursor.bDeferBounds = true;
    CZipEntry entry;
    int error = 0;
    uint64_t count = 0;
    while (cursor.Next(entry, error))
        ++count;
    if (error != 0)
        return error;
    // Some writers store the count modulo 65,536 to avoid zip64 records.
    const bool bCountFits = bZip64 ? count == itsDeclaredCount
                                   : count >= itsDeclaredCount && (count - itsDeclaredCount) % 0x10000 == 0;
    if (!bCountFits)
        return kZipErrorInconsistent;
    if (cursor.itsBoundsError != 0)
        return cursor.itsBoundsError;
    itsEntryCount = count;
    return 0;
}
