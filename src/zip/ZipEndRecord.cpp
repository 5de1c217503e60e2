#include "zip/ZipEndRecord.h"

#include "zip/ZipArchiveFile.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"
#include "zip/ZipRecords.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

using namespace zip_records;

namespace {

constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
constexpr uint32_t kMarker32 = 0xFFFFFFFFu;
constexpr uint16_t kMarker16 = 0xFFFF;

// The end record lies in the last bytes: its own, a comment of up to 64 KB,
// and room for the zip64 locator before it.
constexpr size_t kTailSize = kEndSize + kMaxCommentLength + kZip64LocatorSize;

enum class Reading {
    kNone, // the record leads to no directory
    kOne,
    kShifted, // a reading only with bytes before the archive, which we do not read
    kTwo, // its zip64 and 32-bit values disagree: two readings at once
};

class CEndRecordSearch {
public:
    CEndRecordSearch(const CZipArchiveFile& theArchive, uint64_t theFileSize)
        : itsArchive(theArchive)
        , itsFileSize(theFileSize)
    {
    }

    int Run(CZipDirectoryPlace& thePlace, std::string& theFailure);

private:
    Reading Look(size_t theAt, CZipDirectoryPlace& thePlace);
    Reading LookAt(size_t theAt, CZipDirectoryPlace& thePlace);
    // 0 with thePlace from the zip64 end record the locator at theAt points
    // to; bAbsent when no such record is there at all.
    int ReadZip64(size_t theAt, CZipDirectoryPlace& thePlace, uint64_t& thePosition, bool& bAbsent);
    // Whether the 32-bit record's values, where they are not markers, are
    // the zip64 record's; else the words for the field that differs.
    const char* Disagreement(const unsigned char* pRecord, const CZipDirectoryPlace& thePlace) const;
    bool HasDirectoryRecordAt(uint64_t theOffset);
    // From the tail when it holds them: most directories lie in it.
    int Bytes(uint64_t theOffset, unsigned char* pBuffer, size_t theLength);
    Reading Refuse(int theCode, std::string theFailure);
    int Fail(int theCode, std::string theFailure);

    const CZipArchiveFile& itsArchive;
    uint64_t itsFileSize;
    std::vector<unsigned char> itsTail;
    uint64_t itsTailOffset = 0;
    // Why the record looked at last leads to no reading.
    int itsCode = 0;
    std::string itsFailure;
    // The offset looked at last for a directory record, and what was there.
    bool bLookedAt = false;
    uint64_t itsLookedAt = 0;
    bool bDirectoryThere = false;
    // Why the zip64 end record its locator points to could not be read.
    int itsZip64Code = 0;
    std::string itsZip64Failure;
};

Reading CEndRecordSearch::Refuse(int theCode, std::string theFailure)
{
    itsCode = theCode;
    itsFailure = std::move(theFailure);
    return Reading::kNone;
}

int CEndRecordSearch::Fail(int theCode, std::string theFailure)
{
    itsCode = theCode;
    itsFailure = std::move(theFailure);
    return theCode;
}

int CEndRecordSearch::Run(CZipDirectoryPlace& thePlace, std::string& theFailure)
{
    if (itsFileSize < kEndSize) {
        theFailure = FaultText("the file is too short to be an archive (%llu bytes)",
            static_cast<unsigned long long>(itsFileSize));
        return kZipErrorNotZip;
    }
    const size_t tailSize = itsFileSize < kTailSize ? static_cast<size_t>(itsFileSize) : kTailSize;
    itsTailOffset = itsFileSize - tailSize;
    itsTail.resize(tailSize);
    if (int error = itsArchive.ReadAt(itsTailOffset, itsTail.data(), tailSize)) {
        theFailure = ReadFailure(error, "the end of the file");
        return error;
    }

    int error = kZipErrorNotZip;
    theFailure = FaultText("no end record in the last %zu bytes of the file", tailSize);
    bool bRefusalKept = false;
    // The directories read so far, each once: records that lead to the same
    // directory (a copy of the end record in a comment) read alike.
    struct Found {
        Reading itsReading;
        CZipDirectoryPlace itsPlace;
        uint64_t itsPosition;
    };
    std::vector<Found> found;
    uint64_t lastSignature = 0;
    // A full tail leaves room for a locator before every record looked at.
    const size_t first = tailSize == kTailSize ? kZip64LocatorSize : 0;
    for (size_t at = tailSize - kEndSize + 1; at-- > first && found.size() < 2;) {
        if (itsTail[at] != 'P' || Get32(&itsTail[at]) != kEndSignature)
            continue;
        lastSignature = std::max(lastSignature, itsTailOffset + at);
        CZipDirectoryPlace place;
        const Reading reading = Look(at, place);
        if (reading == Reading::kTwo) {
            theFailure = itsFailure;
            return kZipErrorInconsistent;
        }
        if (reading != Reading::kOne && !bRefusalKept) {
            error = itsCode;
            theFailure = itsFailure;
            bRefusalKept = true;
        }
        const auto same = [&place](const Found& theFound) {
            return theFound.itsPlace.itsOffset == place.itsOffset
                && theFound.itsPlace.itsSize == place.itsSize;
        };
        if (reading != Reading::kNone && std::none_of(found.begin(), found.end(), same))
            found.push_back({ reading, place, itsTailOffset + at });
    }
    if (found.size() == 2) {
        theFailure = FaultText("two end records could each be the archive's (at offsets %llu and %llu)",
            static_cast<unsigned long long>(found[1].itsPosition),
            static_cast<unsigned long long>(found[0].itsPosition));
        return kZipErrorInconsistent;
    }
    // Bytes after the archive are padding; an end record there is what
    // tools that look from the end take, and it leads nowhere.
    if (found.size() == 1 && found[0].itsReading == Reading::kOne
        && lastSignature >= found[0].itsPlace.itsEnd) {
        theFailure = FaultText("bytes after the end record at offset %llu hold another (at offset %llu)",
            static_cast<unsigned long long>(found[0].itsPosition),
            static_cast<unsigned long long>(lastSignature));
        return kZipErrorInconsistent;
    }
    if (found.size() == 1 && found[0].itsReading == Reading::kOne) {
        thePlace = found[0].itsPlace;
        theFailure.clear();
        return 0;
    }
    return error;
}

Reading CEndRecordSearch::Look(size_t theAt, CZipDirectoryPlace& thePlace)
{
    const Reading reading = LookAt(theAt, thePlace);
    // When the 32-bit record could not be read either, the bytes before it
    // were a locator after all, and what is wrong is the zip64 record.
    if (reading == Reading::kNone && itsZip64Code != 0) {
        itsCode = itsZip64Code;
        itsFailure = itsZip64Failure;
    }
    return reading;
}

Reading CEndRecordSearch::LookAt(size_t theAt, CZipDirectoryPlace& thePlace)
{
    itsZip64Code = 0;
    const unsigned char* record = &itsTail[theAt];
    const uint64_t position = itsTailOffset + theAt;
    const auto at = static_cast<unsigned long long>(position);
    uint64_t recordStart = position; // where the directory ends
    const char* recordName = "end record";
    bool bFromZip64 = false;
    if (theAt >= kZip64LocatorSize && Get32(record - kZip64LocatorSize) == kZip64LocatorSignature) {
        bool bAbsent = false;
        const int error = ReadZip64(theAt - kZip64LocatorSize, thePlace, recordStart, bAbsent);
        const bool bMarkers = Get16(record + 8) == kMarker16 || Get16(record + 10) == kMarker16
            || Get32(record + 12) == kMarker32 || Get32(record + 16) == kMarker32;
        // Bytes that only look like a locator (in a name, say) lead nowhere:
        // the 32-bit record is then read, as other tools read it.
        if (error != 0 && (!bAbsent || bMarkers))
            return Reading::kNone;
        bFromZip64 = error == 0;
        if (error != 0) {
            itsZip64Code = itsCode;
            itsZip64Failure = itsFailure;
        }
    }
    if (bFromZip64) {
        if (const char* field = Disagreement(record, thePlace)) {
            Fail(kZipErrorInconsistent,
                FaultText(
                    "the end record and the zip64 end record disagree on the directory's %s (end record "
                    "at offset %llu, zip64 end record at offset %llu)",
                    field, at, static_cast<unsigned long long>(recordStart)));
            return Reading::kTwo;
        }
        recordName = "zip64 end record";
    } else {
        if (Get32(record + 4) != 0)
            return Refuse(
                kZipErrorMultiDisk, FaultText("the end record names another disk (at offset %llu)", at));
        if (Get16(record + 8) != Get16(record + 10))
            return Refuse(
                kZipErrorNotZip, FaultText("the end record's two entry counts differ (at offset %llu)", at));
        thePlace.itsDeclaredCount = Get16(record + 10);
        thePlace.itsSize = Get32(record + 12);
        thePlace.itsOffset = Get32(record + 16);
        thePlace.bZip64 = false;
    }
    const unsigned long long recordAt = recordStart;
    const uint64_t end = thePlace.itsOffset + thePlace.itsSize;
    if (end > recordStart)
        return Refuse(kZipErrorInconsistent,
            FaultText("the directory runs past the %s (at offset %llu)", recordName, recordAt));
    thePlace.itsEnd = position + kEndSize + Get16(record + 20);
    if (thePlace.itsEnd > itsFileSize)
        return Refuse(kZipErrorInconsistent,
            FaultText(
                "the end record's comment runs past the end of the file (end record at offset %llu)", at));
    if (thePlace.itsSize < 4 || HasDirectoryRecordAt(thePlace.itsOffset))
        return Reading::kOne;
    Refuse(kZipErrorNotZip,
        FaultText("no directory record where the %s puts the directory (offset %llu)", recordName,
            static_cast<unsigned long long>(thePlace.itsOffset)));
    // A tool that finds no directory there looks for one that ends where the
    // record begins, taking what lies before as bytes before the archive.
    if (end == recordStart || recordStart < thePlace.itsSize
        || !HasDirectoryRecordAt(recordStart - thePlace.itsSize))
        return Reading::kNone;
    thePlace.itsOffset = recordStart - thePlace.itsSize;
    return Reading::kShifted;
}

int CEndRecordSearch::ReadZip64(
    size_t theAt, CZipDirectoryPlace& thePlace, uint64_t& thePosition, bool& bAbsent)
{
    const unsigned char* locator = &itsTail[theAt];
    const uint64_t locatorPosition = itsTailOffset + theAt;
    const auto locatorAt = static_cast<unsigned long long>(locatorPosition);
    const uint64_t position = Get64(locator + 8);
    const auto at = static_cast<unsigned long long>(position);
    bAbsent = true;
    if (position > kMaxOffset)
        return Fail(kZipErrorSeek,
            FaultText("the zip64 locator points past any file (locator at offset %llu)", locatorAt));
    if (position + kZip64EndSize > locatorPosition)
        return Fail(kZipErrorInconsistent,
            FaultText(
                "the zip64 end record would not lie before its locator (locator at offset %llu)", locatorAt));
    unsigned char record[kZip64EndSize];
    if (int error = Bytes(position, record, sizeof record)) {
        bAbsent = false;
        return Fail(error, ReadFailure(error, "the zip64 end record"));
    }
    if (Get32(record) != kZip64EndSignature)
        return Fail(kZipErrorInconsistent,
            FaultText("no zip64 end record where its locator points (offset %llu)", at));
    bAbsent = false;
    // libzip takes the disk numbers from the locator's 32-bit field read as
    // two 16-bit halves, and from the record only where a half is 0xFFFF.
    const uint32_t disks = Get16(locator + 4) == kMarker16 ? Get32(record + 16) : Get16(locator + 4);
    const uint32_t directoryDisk = Get16(locator + 6) == kMarker16 ? Get32(record + 20) : Get16(locator + 6);
    if (disks != 0 || directoryDisk != 0)
        return Fail(
            kZipErrorMultiDisk, FaultText("the zip64 end record names another disk (at offset %llu)", at));
    if (Get64(record + 24) != Get64(record + 32))
        return Fail(kZipErrorMultiDisk,
            FaultText("the zip64 end record's two entry counts differ (at offset %llu)", at));
    thePlace.itsDeclaredCount = Get64(record + 32);
    thePlace.itsSize = Get64(record + 40);
    thePlace.itsOffset = Get64(record + 48);
    thePlace.bZip64 = true;
    if (thePlace.itsOffset > kMaxOffset
        || thePlace.itsSize > std::numeric_limits<uint64_t>::max() - thePlace.itsOffset)
        return Fail(kZipErrorSeek,
            FaultText("the zip64 end record puts the directory past any file (at offset %llu)", at));
    if (thePlace.itsOffset + thePlace.itsSize > position)
        return Fail(kZipErrorInconsistent,
            FaultText("the directory runs past the zip64 end record (at offset %llu)", at));
    if (thePlace.itsDeclaredCount > thePlace.itsSize / kCentralHeaderSize)
        return Fail(kZipErrorInconsistent,
            FaultText(
                "the zip64 end record counts more entries than its directory holds (at offset %llu)", at));
    thePosition = position;
    return 0;
}

const char* CEndRecordSearch::Disagreement(
    const unsigned char* pRecord, const CZipDirectoryPlace& thePlace) const
{
    const auto differs16 = [](uint16_t theValue, uint64_t theZip64) {
        // Counts beyond 16 bits are kept modulo 65,536 by some writers.
        return theValue != kMarker16 && theValue != (theZip64 & 0xFFFF);
    };
    const auto differs32
        = [](uint32_t theValue, uint64_t theZip64) { return theValue != kMarker32 && theValue != theZip64; };
    if (differs16(Get16(pRecord + 4), 0) || differs16(Get16(pRecord + 6), 0))
        return "disk";
    if (differs16(Get16(pRecord + 8), thePlace.itsDeclaredCount)
        || differs16(Get16(pRecord + 10), thePlace.itsDeclaredCount))
        return "entry count";
    if (differs32(Get32(pRecord + 12), thePlace.itsSize))
        return "size";
    if (differs32(Get32(pRecord + 16), thePlace.itsOffset))
        return "offset";
    return nullptr;
}

bool CEndRecordSearch::HasDirectoryRecordAt(uint64_t theOffset)
{
    // Records nested in each other's comments mostly name one directory.
    if (bLookedAt && itsLookedAt == theOffset)
        return bDirectoryThere;
    unsigned char signature[4];
    bLookedAt = true;
    itsLookedAt = theOffset;
    bDirectoryThere
        = Bytes(theOffset, signature, sizeof signature) == 0 && Get32(signature) == kCentralSignature;
    return bDirectoryThere;
}

int CEndRecordSearch::Bytes(uint64_t theOffset, unsigned char* pBuffer, size_t theLength)
{
    if (theOffset >= itsTailOffset && theLength <= itsTail.size()
        && theOffset - itsTailOffset <= itsTail.size() - theLength) {
        std::memcpy(pBuffer, &itsTail[theOffset - itsTailOffset], theLength);
        return 0;
    }
    return itsArchive.ReadAt(theOffset, pBuffer, theLength);
}

} // namespace

int FindDirectoryPlace(const CZipArchiveFile& theArchive, uint64_t theFileSize, CZipDirectoryPlace& thePlace,
    std::string& theFailure)
{
    CEndRecordSearch search(theArchive, theFileSize);
    return search.Run(thePlace, theFailure);
}
