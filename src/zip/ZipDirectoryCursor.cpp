#include "zip/ZipArchiveFile.h"

#include "zip/ZipErrors.h"
#include "zip/ZipRecords.h"

#include <cstring>
#include <limits>

using namespace zip_records;

CZipDirectoryCursor::CZipDirectoryCursor(const CZipArchiveFile& theArchive)
    : itsArchive(theArchive)
{
}

void CZipDirectoryCursor::Rewind()
{
    itsStart = itsEnd = 0;
    itsConsumed = 0;
    itsIndex = 0;
}

bool CZipDirectoryCursor::Next(CZipEntry& theEntry, int& theError)
{
    theError = 0;
    if (!itsArchive.IsOpen() || itsConsumed >= itsArchive.itsDirectorySize)
        return false;
    theError = ParseEntry(theEntry);
    return theError == 0;
}

int CZipDirectoryCursor::Have(size_t theLength)
{
    const size_t held = itsEnd - itsStart;
    if (held >= theLength)
        return 0;
    const uint64_t unread = itsArchive.itsDirectorySize - itsConsumed - held;
    if (theLength - held > unread)
        return kZipErrorInconsistent;
    if (itsBuffer.size() < theLength)
        itsBuffer.resize(theLength > kBlockSize ? theLength : kBlockSize);
    if (itsBuffer.size() - itsStart < theLength) {
        std::memmove(itsBuffer.data(), itsBuffer.data() + itsStart, held);
        itsStart = 0;
        itsEnd = held;
    }
    const size_t room = itsBuffer.size() - itsEnd;
    const size_t wanted = unread < room ? static_cast<size_t>(unread) : room;
    const uint64_t from = itsArchive.itsDirectoryOffset + itsConsumed + held;
    if (int error = itsArchive.ReadAt(from, itsBuffer.data() + itsEnd, wanted))
        return error;
    itsEnd += wanted;
    return 0;
}

int CZipDirectoryCursor::ParseEntry(CZipEntry& theEntry)
{
    // Past the declared count an entry is one the count wrapped around, or
    // garbage: libzip calls the directory inconsistent then.
    const bool bBeyondCount = !itsArchive.bZip64 && itsIndex >= itsArchive.itsDeclaredCount;
    if (int error = Have(kCentralHeaderSize))
        return error == kZipErrorInconsistent && !bBeyondCount ? kZipErrorNotZip : error;
    const unsigned char* header = itsBuffer.data() + itsStart;
    if (Get32(header) != kCentralSignature)
        return bBeyondCount ? kZipErrorInconsistent : kZipErrorNotZip;
    const size_t nameLength = Get16(header + 28);
    const size_t extraLength = Get16(header + 30);
    const size_t commentLength = Get16(header + 32);
    const size_t length = kCentralHeaderSize + nameLength + extraLength + commentLength;
    if (int error = Have(length))
        return error;
    header = itsBuffer.data() + itsStart;
    const unsigned char* name = header + kCentralHeaderSize;

    theEntry.itsIndex = itsIndex;
    theEntry.itsFlags = Get16(header + 8);
    theEntry.itsMethod = Get16(header + 10);
    theEntry.itsDosTime = Get16(header + 12);
    theEntry.itsDosDate = Get16(header + 14);
    theEntry.itsCrc = Get32(header + 16);
    theEntry.itsName.assign(reinterpret_cast<const char*>(name), nameLength);
    if ((theEntry.itsFlags & kFlagUtf8)
        && (!IsStrictUtf8(name, nameLength) || !IsStrictUtf8(name + nameLength + extraLength, commentLength)))
        return kZipErrorInconsistent;

    CZip64Values values;
    values.itsCompressedSize = Get32(header + 20);
    values.itsSize = Get32(header + 24);
    values.itsDisk = Get16(header + 34);
    values.itsOffset = Get32(header + 42);
    if (int error = ReadExtraFields(name + nameLength, extraLength, HeaderKind::kCentral, values))
        return error;
    theEntry.itsCompressedSize = values.itsCompressedSize;
    theEntry.itsSize = values.itsSize;
    theEntry.itsLocalOffset = values.itsOffset;
    if (theEntry.itsLocalOffset > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
        return kZipErrorSeek;
    // The local header, the name and the data lie before the directory.
    const uint64_t limit = itsArchive.itsDirectoryOffset;
    const uint64_t fixed = kLocalHeaderSize + nameLength;
    if (theEntry.itsLocalOffset > limit || limit - theEntry.itsLocalOffset < fixed
        || limit - theEntry.itsLocalOffset - fixed < theEntry.itsCompressedSize) {
        if (!bDeferBounds)
            return kZipErrorNotZip;
        if (itsBoundsError == 0)
            itsBoundsError = kZipErrorNotZip;
    }

    itsStart += length;
    itsConsumed += length;
    ++itsIndex;
    return 0;
}
