#include "zip/ZipRecords.h"
#include "zip/ZipErrors.h"

#include <cstring>
#include <ctime>
#include <mutex>

namespace zip_records {

namespace {

constexpr uint32_t kMarker32 = 0xFFFFFFFFu;
constexpr uint16_t kMarker16 = 0xFFFFu;

// Reads the zip64 field's values in their fixed order; each is there only
// when its header field holds the marker, except that a local header's field
// always holds the size before the compressed size. A value the field is too
// short for reads as 0, as libzip reads it.
int ReadZip64Field(const unsigned char* pField, size_t theLength, HeaderKind theKind, CZip64Values& theValues)
{
    size_t at = 0;
    bool bShort = false;
    const auto take = [&](size_t theBytes) -> uint64_t {
        if (bShort || theLength - at < theBytes) {
            bShort = true;
            return 0;
        }
        at += theBytes;
        return theBytes == 8 ? Get64(pField + at - 8) : Get32(pField + at - 4);
    };
    if (theValues.itsSize == kMarker32)
        theValues.itsSize = take(8);
    else if (theKind == HeaderKind::kLocal)
        take(8);
    if (theValues.itsCompressedSize == kMarker32)
        theValues.itsCompressedSize = take(8);
    if (theKind == HeaderKind::kCentral) {
        if (theValues.itsOffset == kMarker32)
            theValues.itsOffset = take(8);
        if (theValues.itsDisk == kMarker16)
            theValues.itsDisk = static_cast<uint32_t>(take(4));
    }
    if (!bShort && at == theLength)
        return 0;
    // A field of all four values (or the three 64-bit ones) is accepted
    // when what it holds beyond the values read agrees with the header:
    // a local header's offset is where the header itself lies.
    bool bAgrees = theLength == 24 || theLength == 28;
    if (theLength == 28 && theValues.itsDisk != Get32(pField + 24))
        bAgrees = false;
    if (bAgrees
        && (theValues.itsSize != Get64(pField) || theValues.itsCompressedSize != Get64(pField + 8)
            || theValues.itsOffset != Get64(pField + 16)))
        bAgrees = false;
    return bAgrees ? 0 : kZipErrorInconsistent;
}

} // namespace

int ReadExtraFields(const unsigned char* pExtra, size_t theLength, HeaderKind theKind,
    CZip64Values& theValues, const char*& theFault)
{
    theFault = nullptr;
    const unsigned char* zip64 = nullptr;
    size_t zip64Length = 0;
    size_t at = 0;
    while (theLength - at >= 4) {
        const uint16_t id = Get16(pExtra + at);
        const size_t length = Get16(pExtra + at + 2);
        at += 4;
        if (length > theLength - at) {
            theFault = "the extra fields run past their length";
            return kZipErrorInconsistent;
        }
        if (id == kZip64ExtraId && !zip64) {
            zip64 = pExtra + at;
            zip64Length = length;
        }
        at += length;
    }
    static const unsigned char kZeros[3] = {};
    if (at < theLength && std::memcmp(pExtra + at, kZeros, theLength - at) != 0) {
        theFault = "the extra fields run past their length";
        return kZipErrorInconsistent;
    }

    const bool bNeeded = theValues.itsSize == kMarker32 || theValues.itsCompressedSize == kMarker32
        || (theKind == HeaderKind::kCentral && theValues.itsOffset == kMarker32);
    if (!bNeeded)
        return 0;
    if (!zip64) {
        theFault = "the zip64 extra field that the header's markers call for is missing";
        return kZipErrorNoEntry; // libzip's code for a field that is not there
    }
    const int error = ReadZip64Field(zip64, zip64Length, theKind, theValues);
    if (error != 0)
        theFault = "the zip64 extra field does not match the header";
    return error;
}

bool IsStrictUtf8(const unsigned char* pText, size_t theLength)
{
    for (size_t i = 0; i < theLength; ++i) {
        const unsigned char byte = pText[i];
        if ((byte > 31 && byte < 128) || byte == '\r' || byte == '\n' || byte == '\t')
            continue;
        size_t more;
        if ((byte & 0xE0) == 0xC0)
            more = 1;
        else if ((byte & 0xF0) == 0xE0)
            more = 2;
        else if ((byte & 0xF8) == 0xF0)
            more = 3;
        else
            return false;
        if (i + more >= theLength)
            return false;
        for (size_t k = 1; k <= more; ++k)
            if ((pText[i + k] & 0xC0) != 0x80)
                return false;
        i += more;
    }
    return true;
}

namespace {

// The C library guards its time zone with a lock of its own, which
// ThreadSanitizer cannot see; this one it can, and it costs nothing more.
std::mutex gTimeZoneLock;
// What local time was behind universal time at the last date converted,
// guarded by gTimeZoneLock: an archive's dates mostly share it.
time_t gLastOffset = 0;

bool SameWallTime(const struct tm& theFirst, const struct tm& theSecond)
{
    return theFirst.tm_sec == theSecond.tm_sec && theFirst.tm_min == theSecond.tm_min
        && theFirst.tm_hour == theSecond.tm_hour && theFirst.tm_mday == theSecond.tm_mday
        && theFirst.tm_mon == theSecond.tm_mon && theFirst.tm_year == theSecond.tm_year;
}

} // namespace

time_t DosToTime(uint16_t theTime, uint16_t theDate)
{
    struct tm parts = {};
    parts.tm_year = ((theDate >> 9) & 127) + 1980 - 1900;
    parts.tm_mon = ((theDate >> 5) & 15) - 1;
    parts.tm_mday = theDate & 31;
    parts.tm_hour = (theTime >> 11) & 31;
    parts.tm_min = (theTime >> 5) & 63;
    parts.tm_sec = (theTime << 1) & 62;
    struct tm universal = parts;
    const time_t asUniversal = timegm(&universal);
    const std::lock_guard<std::mutex> guard(gTimeZoneLock);
    // mktime reads the zone's file again on every call when TZ is unset, a
    // system call per entry; localtime_r does not. So the last offset is
    // tried first, and taken when it gives back this very wall time: then it
    // is the instant mktime would find (or, in the hour that a change of
    // daylight saving repeats, the other one that shows the same clock).
    const time_t guess = asUniversal - gLastOffset;
    struct tm check;
    if (localtime_r(&guess, &check) && SameWallTime(check, parts))
        return guess;
    parts.tm_isdst = -1; // daylight saving as the system has it on that day
    const time_t local = mktime(&parts);
    if (local != -1)
        gLastOffset = asUniversal - local;
    return local;
}

uint16_t TimeToDosTime(time_t theTime)
{
    const std::lock_guard<std::mutex> guard(gTimeZoneLock);
    struct tm parts;
    if (!localtime_r(&theTime, &parts))
        return 0;
    return static_cast<uint16_t>((parts.tm_hour << 11) + (parts.tm_min << 5) + (parts.tm_sec >> 1));
}

} // namespace zip_records
