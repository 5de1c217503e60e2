#include "zip/ZipArchiveFile.h"

#include "zip/ZipEndRecord.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"
#include "zip/ZipRecords.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace zip_records;

namespace {

constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());

// Where an entry's data ends at the least: its local header holds the name
// the directory gives, and may hold an extra field besides.
uint64_t SpanEnd(const CZipEntry& theEntry)
{
    const uint64_t end = theEntry.itsLocalOffset + kLocalHeaderSize + theEntry.itsName.size();
    return theEntry.itsCompressedSize > UINT64_MAX - end ? UINT64_MAX : end + theEntry.itsCompressedSize;
}

std::string OverlapText(const CZipEntry& theFirst, const CZipEntry& theSecond)
{
    return FaultText("the data of entry %s runs into entry %s (local headers at offsets %llu and %llu)",
        theFirst.itsName.c_str(), theSecond.itsName.c_str(),
        static_cast<unsigned long long>(theFirst.itsLocalOffset),
        static_cast<unsigned long long>(theSecond.itsLocalOffset));
}

// The last date a thread worked out, and what it came to.
struct CConvertedDate {
    bool bValid = false;
    uint16_t itsDosTime = 0, itsDosDate = 0;
    time_t itsTime = 0;
    uint16_t itsTimeOfDay = 0;
};

const CConvertedDate& Convert(uint16_t theDosTime, uint16_t theDosDate)
{
    thread_local CConvertedDate last;
    if (!last.bValid || last.itsDosTime != theDosTime || last.itsDosDate != theDosDate) {
        last.itsTime = DosToTime(theDosTime, theDosDate);
        last.itsTimeOfDay = TimeToDosTime(last.itsTime);
        last.itsDosTime = theDosTime;
        last.itsDosDate = theDosDate;
        last.bValid = true;
    }
    return last;
}

} // namespace

time_t CZipEntry::GetModificationTime() const
{
    return Convert(itsDosTime, itsDosDate).itsTime;
}

uint16_t CZipEntry::GetModificationDosTime() const
{
    return Convert(itsDosTime, itsDosDate).itsTimeOfDay;
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
    itsFileSize = itsDirectoryOffset = itsDirectorySize = itsDeclaredCount = itsEntryCount = itsEndOffset = 0;
    bZip64 = false;
    bInOrder = true;
    itsSortedOffsets.clear();
}

int CZipArchiveFile::Fail(int theCode, std::string theFailure)
{
    itsFailure = std::move(theFailure);
    return theCode;
}

int CZipArchiveFile::Open(const char* thePath)
{
    Close();
    itsFailure.clear();
    itsFile = thePath ? open(thePath, O_RDONLY | O_CLOEXEC) : -1;
    if (itsFile == -1) {
        const int error = thePath ? errno : EINVAL;
        return Fail(error == ENOENT ? kZipErrorNoEntry : kZipErrorOpen,
            FaultText("the file cannot be opened: %s", std::strerror(error)));
    }
    struct stat info;
    if (fstat(itsFile, &info) != 0) {
        const int error = errno;
        Close();
        return Fail(kZipErrorRead, FaultText("the file cannot be looked at: %s", std::strerror(error)));
    }
    itsFileSize = static_cast<uint64_t>(info.st_size);
    CZipDirectoryPlace place;
    int error = FindDirectoryPlace(*this, itsFileSize, place, itsFailure);
    if (error == 0) {
        itsDirectoryOffset = place.itsOffset;
        itsDirectorySize = place.itsSize;
        itsDeclaredCount = place.itsDeclaredCount;
        itsEndOffset = place.itsEnd;
        bZip64 = place.bZip64;
        error = CheckDirectory();
    }
    if (error != 0) {
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

// Walks the whole directory once, so that a damaged one is refused before
// any entry is used, counts the entries, and checks that no two entries'
// headers and data overlap, as far as the directory tells: the local extra
// field is read when its entry is opened, and checked then against the span
// limit. Entries that follow each other in the file are checked as they are
// walked; only a directory in another order costs a second walk and its
// entries' offsets.
int CZipArchiveFile::CheckDirectory()
{
    CZipDirectoryCursor cursor(*this);
    cursor.bDeferBounds = true;
    CZipEntry entry;
    CZipEntry previous;
    int error = 0;
    uint64_t count = 0;
    uint64_t previousEnd = 0;
    std::string overlap;
    while (cursor.Next(entry, error)) {
        const uint64_t end = SpanEnd(entry);
        if (count > 0 && entry.itsLocalOffset < previous.itsLocalOffset)
            bInOrder = false;
        else if (count > 0 && entry.itsLocalOffset < previousEnd && overlap.empty())
            overlap = OverlapText(previous, entry);
        ++count;
        previousEnd = end;
        std::swap(entry, previous); // the walk fills every field anew
    }
    if (error != 0)
        return Fail(error, cursor.GetFailure());
    // Some writers store the count modulo 65,536 to avoid zip64 records.
    const bool bCountFits = bZip64 ? count == itsDeclaredCount
                                   : count >= itsDeclaredCount && (count - itsDeclaredCount) % 0x10000 == 0;
    if (!bCountFits)
        return Fail(kZipErrorInconsistent,
            FaultText("the directory holds %llu entries, its end record says %llu",
                static_cast<unsigned long long>(count), static_cast<unsigned long long>(itsDeclaredCount)));
    if (cursor.itsBoundsError != 0)
        return Fail(cursor.itsBoundsError, cursor.itsBoundsFailure);
    itsEntryCount = count;
    if (!overlap.empty())
        return Fail(kZipErrorInconsistent, overlap);
    return bInOrder ? 0 : CheckUnorderedSpans();
}

int CZipArchiveFile::CheckUnorderedSpans()
{
    struct Span {
        uint64_t itsStart;
        uint64_t itsEnd;
        uint64_t itsIndex;
    };
    std::vector<Span> spans;
    spans.reserve(itsEntryCount);
    CZipDirectoryCursor cursor(*this);
    cursor.bDeferBounds = true;
    CZipEntry entry;
    int error = 0;
    while (cursor.Next(entry, error))
        spans.push_back({ entry.itsLocalOffset, SpanEnd(entry), entry.itsIndex });
    if (error != 0)
        return Fail(error, cursor.GetFailure());
    std::sort(
        spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.itsStart < b.itsStart; });
    itsSortedOffsets.reserve(spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        if (i > 0 && spans[i].itsStart < spans[i - 1].itsEnd) {
            CZipEntry first;
            CZipEntry second;
            first.itsName = NameAt(spans[i - 1].itsIndex);
            first.itsLocalOffset = spans[i - 1].itsStart;
            second.itsName = NameAt(spans[i].itsIndex);
            second.itsLocalOffset = spans[i].itsStart;
            return Fail(kZipErrorInconsistent, OverlapText(first, second));
        }
        itsSortedOffsets.push_back(spans[i].itsStart);
    }
    return 0;
}

std::string CZipArchiveFile::NameAt(uint64_t theIndex) const
{
    CZipDirectoryCursor cursor(*this);
    CZipEntry entry;
    int error = 0;
    while (cursor.Next(entry, error))
        if (entry.itsIndex == theIndex)
            return entry.itsName;
    return std::string();
}
