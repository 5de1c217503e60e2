#include "zip/ZipArchiveFile.h"

#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"
#include "zip/ZipRecords.h"

#include <algorithm>
#include <cstring>
#include <limits>

using namespace zip_records;

namespace {

constexpr uint32_t kMarker32 = 0xFFFFFFFFu;

} // namespace

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

int CZipDirectoryCursor::Fail(int theCode, std::string theFailure)
{
    itsFailure = std::move(theFailure);
    return theCode;
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
    const uint64_t recordOffset = itsArchive.itsDirectoryOffset + itsConsumed;
    const auto record = [&](const char* theWhat) {
        return FaultText(
            "a directory record %s (at offset %llu)", theWhat, static_cast<unsigned long long>(recordOffset));
    };
    const auto ofEntry = [&](const char* theWhat) {
        return FaultText("%s (entry %s, directory record at offset %llu)", theWhat, theEntry.itsName.c_str(),
            static_cast<unsigned long long>(recordOffset));
    };
    // Past the declared count an entry is one the count wrapped around, or
    // garbage: libzip calls the directory inconsistent then.
    const bool bBeyondCount = !itsArchive.bZip64 && itsIndex >= itsArchive.itsDeclaredCount;
    if (int error = Have(kCentralHeaderSize)) {
        const int code = error == kZipErrorInconsistent && !bBeyondCount ? kZipErrorNotZip : error;
        return Fail(code,
            record(error == kZipErrorInconsistent ? "runs past the directory's end"
                                                  : ReadFailure(error, "the directory").c_str()));
    }
    const unsigned char* header = itsBuffer.data() + itsStart;
    if (Get32(header) != kCentralSignature)
        return Fail(bBeyondCount ? kZipErrorInconsistent : kZipErrorNotZip, record("lacks its signature"));
    const size_t nameLength = Get16(header + 28);
    const size_t extraLength = Get16(header + 30);
    const size_t commentLength = Get16(header + 32);
    const size_t length = kCentralHeaderSize + nameLength + extraLength + commentLength;
    if (int error = Have(length))
        return Fail(error,
            record(error == kZipErrorInconsistent ? "runs past the directory's end"
                                                  : ReadFailure(error, "the directory").c_str()));
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
        return Fail(kZipErrorInconsistent, ofEntry("the name or comment is marked as UTF-8 but is not"));

    CZip64Values values;
    values.itsCompressedSize = Get32(header + 20);
    values.itsSize = Get32(header + 24);
    values.itsDisk = Get16(header + 34);
    values.itsOffset = Get32(header + 42);
    const char* fault = nullptr;
    if (int error = ReadExtraFields(name + nameLength, extraLength, HeaderKind::kCentral, values, fault))
        return Fail(error, ofEntry(fault));
    theEntry.itsCompressedSize = values.itsCompressedSize;
    theEntry.itsSize = values.itsSize;
    theEntry.itsLocalOffset = values.itsOffset;
    if (theEntry.itsLocalOffset > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
        return Fail(kZipErrorSeek, ofEntry("the local header's offset lies past any file"));
    // The local header, the name and the data lie before the directory.
    const uint64_t limit = itsArchive.itsDirectoryOffset;
    const uint64_t fixed = kLocalHeaderSize + nameLength;
    if (theEntry.itsLocalOffset > limit || limit - theEntry.itsLocalOffset < fixed
        || limit - theEntry.itsLocalOffset - fixed < theEntry.itsCompressedSize) {
        const std::string failure = ofEntry("the local header and data do not lie before the directory");
        if (!bDeferBounds)
            return Fail(kZipErrorNotZip, failure);
        if (itsBoundsError == 0) {
            itsBoundsError = kZipErrorNotZip;
            itsBoundsFailure = failure;
        }
    }

    itsStart += length;
    itsConsumed += length;
    ++itsIndex;
    // The walk that checks the directory needs no limits, and cannot give
    // them before it has seen every entry.
    theEntry.itsSpanLimit = bDeferBounds ? UINT64_MAX : SpanLimit(theEntry);
    return 0;
}

uint64_t CZipDirectoryCursor::SpanLimit(const CZipEntry& theEntry)
{
    const uint64_t directory = itsArchive.itsDirectoryOffset;
    if (!itsArchive.bInOrder) {
        const std::vector<uint64_t>& offsets = itsArchive.itsSortedOffsets;
        const auto next = std::upper_bound(offsets.begin(), offsets.end(), theEntry.itsLocalOffset);
        return next == offsets.end() ? directory : *next;
    }
    uint64_t next = 0;
    return PeekNextOffset(next) && next < directory ? next : directory;
}

bool CZipDirectoryCursor::PeekNextOffset(uint64_t& theOffset)
{
    if (itsConsumed >= itsArchive.itsDirectorySize || Have(kCentralHeaderSize) != 0)
        return false;
    const unsigned char* header = itsBuffer.data() + itsStart;
    if (Get32(header) != kCentralSignature)
        return false;
    theOffset = Get32(header + 42);
    if (theOffset != kMarker32)
        return true;
    const size_t nameLength = Get16(header + 28);
    const size_t extraLength = Get16(header + 30);
    if (Have(kCentralHeaderSize + nameLength + extraLength) != 0)
        return false;
    header = itsBuffer.data() + itsStart;
    CZip64Values values;
    values.itsCompressedSize = Get32(header + 20);
    values.itsSize = Get32(header + 24);
    values.itsDisk = Get16(header + 34);
    values.itsOffset = theOffset;
    const char* fault = nullptr;
    if (ReadExtraFields(
            header + kCentralHeaderSize + nameLength, extraLength, HeaderKind::kCentral, values, fault)
        != 0)
        return false;
    theOffset = values.itsOffset;
    return true;
}
