#include "support/MeantDifferences.h"

#include "support/TempFolder.h"
#include "zip/ZipRecords.h"

#include <algorithm>
#include <zip.h>

using namespace zip_records;

namespace {

uint16_t Read16(const CZipArchiveFile& theArchive, uint64_t theOffset)
{
    unsigned char field[2] = {};
    theArchive.ReadAt(theOffset, field, sizeof field);
    return Get16(field);
}

uint32_t Read32(const CZipArchiveFile& theArchive, uint64_t theOffset)
{
    unsigned char field[4] = {};
    theArchive.ReadAt(theOffset, field, sizeof field);
    return Get32(field);
}

bool Mentions(const std::string& theText, const char* thePart)
{
    return theText.find(thePart) != std::string::npos;
}

bool NamesDifferOnlyInZeroBytes(const CZipArchiveFile& theArchive, const CZipEntry& theEntry)
{
    std::string local(Read16(theArchive, theEntry.itsLocalOffset + 26), '\0');
    if (local.size() != theEntry.itsName.size()
        || theArchive.ReadAt(theEntry.itsLocalOffset + 30, local.data(), local.size()) != 0)
        return false;
    std::string central = theEntry.itsName;
    std::replace(local.begin(), local.end(), '\0', ' ');
    std::replace(central.begin(), central.end(), '\0', ' ');
    return local == central;
}

// Whether theCheck holds for some entry of the directory, walked in order.
template <typename Check> bool SomeEntry(const CZipArchiveFile& theArchive, Check theCheck)
{
    CZipDirectoryCursor cursor(theArchive);
    CZipEntry entry;
    int error = 0;
    while (cursor.Next(entry, error))
        if (theCheck(entry))
            return true;
    return false;
}

} // namespace

bool IsMeantDifference(const Decoded& theLibzip, const Decoded& theOurs, const CZipArchiveFile& theArchive,
    const CZipEntry& theEntry)
{
    // A declared size that is not the data's: libzip 1.7.3 checks no size
    // for deflated data, and hands out an empty file for an entry that
    // stores nothing; we call the entry inconsistent.
    if (theLibzip.itsError == 0 && theOurs.itsError == ZIP_ER_INCONS
        && theLibzip.itsData.size() != theEntry.itsSize)
        return true;
    // Data longer than declared: we stop at the first byte too many, libzip
    // reads on and finds the CRC wrong (or the size) at the end.
    if (theOurs.itsError == ZIP_ER_INCONS && theLibzip.itsError != 0
        && theLibzip.itsData.size() > theEntry.itsSize)
        return true;
    // Methods other than stored and deflated (bzip2, WinZip AES) are refused;
    // no update archive uses them.
    if ((theOurs.itsError == ZIP_ER_COMPNOTSUPP || theOurs.itsError == ZIP_ER_ENCRNOTSUPP)
        && theEntry.itsMethod != 0 && theEntry.itsMethod != 8)
        return true;
    // A local extra field that makes the data reach into the next entry:
    // libzip reads entries that overlap, unzip refuses them, and so do we.
    if (theOurs.itsError == ZIP_ER_INCONS && Mentions(theOurs.itsFailure, "runs into the next entry"))
        return true;
    // libzip 1.7.3 reads a zero byte in a name as a blank, so a local name
    // with zero bytes where the directory's has blanks is the same to it.
    if (theOurs.itsError == ZIP_ER_INCONS && Mentions(theOurs.itsFailure, "name differs from the directory's")
        && NamesDifferOnlyInZeroBytes(theArchive, theEntry))
        return true;
    // A local header that leaves only some values to the descriptor after
    // the data is one that unzip, 7z and Python read.
    if (theLibzip.itsError == ZIP_ER_INCONS && theOurs.itsError == 0
        && LeavesSomeValuesToItsDescriptor(theArchive, theEntry))
        return true;
    return false;
}

// libzip checks each entry's bounds along with its local header (which may
// run past the end of the file, or lack its zip64 field) as it opens an
// archive; we check the bounds of every entry first and each local header
// when its entry is opened. Which fault is met first, and so its code, can
// differ; the extractor shows no code for an archive that does not open.
// An offset past any file is a failed seek to both.
bool BothDamaged(int theLibzipError, int theOurError)
{
    const auto damaged = [](int theError) {
        return theError == ZIP_ER_NOZIP || theError == ZIP_ER_INCONS || theError == ZIP_ER_EOF
            || theError == ZIP_ER_NOENT || theError == ZIP_ER_SEEK;
    };
    return damaged(theLibzipError) && damaged(theOurError);
}

bool EndCanBeReadSeveralWays(const std::string& thePath)
{
    const std::string bytes = ReadWholeFile(thePath);
    const size_t tail = kEndSize + kMaxCommentLength + kZip64LocatorSize;
    const size_t from = bytes.size() > tail ? bytes.size() - tail : 0;
    const size_t first = bytes.find("PK\x05\x06", from);
    if (first == std::string::npos)
        return false;
    // Behind bytes that look like a locator but point to no zip64 end record.
    bool bBehindLocator = false;
    if (first >= kZip64LocatorSize && bytes.compare(first - kZip64LocatorSize, 4, "PK\x06\x07") == 0) {
        const uint64_t zip64 = Get64(reinterpret_cast<const unsigned char*>(bytes.data()) + first - 12);
        bBehindLocator = zip64 > bytes.size() - 4 || bytes.compare(zip64, 4, "PK\x06\x06") != 0;
    }
    return bBehindLocator || bytes.find("PK\x05\x06", first + 1) != std::string::npos;
}

// libzip takes one of several end records (one of them in the padding after
// the archive, too), and reads entries whose data overlap; other tools read
// another record, or refuse the overlap.
bool IsMeantRefusal(const std::string& theFailure)
{
    return Mentions(theFailure, "could each be the archive's") || Mentions(theFailure, "disagree on")
        || Mentions(theFailure, "runs into entry") || Mentions(theFailure, "hold another");
}

// The version a header asks for decides nothing about how we read the entry.
bool VersionsDisagree(const CZipArchiveFile& theArchive)
{
    uint64_t at = theArchive.GetDirectoryOffset();
    return SomeEntry(theArchive, [&](const CZipEntry& theEntry) {
        const bool bLater = Read16(theArchive, at + 6) < Read16(theArchive, theEntry.itsLocalOffset + 4);
        at += 46 + Read16(theArchive, at + 28) + Read16(theArchive, at + 30) + Read16(theArchive, at + 32);
        return bLater;
    });
}

// bsdtar writes the sizes it knows ahead and zero for the rest; Info-ZIP
// zip writing an encrypted entry to a pipe puts the time where the CRC goes.
bool LeavesSomeValuesToItsDescriptor(const CZipArchiveFile& theArchive, const CZipEntry& theEntry)
{
    const uint64_t at = theEntry.itsLocalOffset;
    if (!(Read16(theArchive, at + 6) & kFlagDataDescriptor))
        return false;
    const uint32_t crc = Read32(theArchive, at + 14);
    const uint32_t compressedSize = Read32(theArchive, at + 18);
    const uint32_t size = Read32(theArchive, at + 22);
    const bool bCrcLeft = crc == 0 || crc == theEntry.itsCrc
        || (theEntry.IsEncrypted() && crc == static_cast<uint32_t>(Read16(theArchive, at + 10)) << 16);
    return bCrcLeft && (compressedSize == 0 || compressedSize == theEntry.itsCompressedSize)
        && (size == 0 || size == theEntry.itsSize);
}

bool LeavesSomeValuesToItsDescriptor(const CZipArchiveFile& theArchive)
{
    return SomeEntry(theArchive,
        [&](const CZipEntry& theEntry) { return LeavesSomeValuesToItsDescriptor(theArchive, theEntry); });
}

bool HasLocalZip64Offset(const CZipArchiveFile& theArchive)
{
    return SomeEntry(theArchive, [&](const CZipEntry& theEntry) {
        const uint64_t at = theEntry.itsLocalOffset;
        const uint64_t extra = at + kLocalHeaderSize + Read16(theArchive, at + 26);
        const uint64_t extraEnd = extra + Read16(theArchive, at + 28);
        for (uint64_t field = extra; field + 4 <= extraEnd; field += 4 + Read16(theArchive, field + 2))
            if (Read16(theArchive, field) == kZip64ExtraId && Read16(theArchive, field + 2) >= 24)
                return true;
        return false;
    });
}

bool EndsWithLocatorBytes(const CZipArchiveFile& theArchive)
{
    // Our end record is the one whose comment ends where the archive does.
    const uint64_t end = theArchive.GetEndOffset();
    uint64_t record = 0;
    for (uint64_t at = end >= kEndSize ? end - kEndSize + 1 : 0;
         at-- > 0 && end - at <= kEndSize + kMaxCommentLength;)
        if (Read32(theArchive, at) == kEndSignature && at + kEndSize + Read16(theArchive, at + 20) == end) {
            record = at;
            break;
        }
    if (record < kZip64LocatorSize
        || Read32(theArchive, record - kZip64LocatorSize) != kZip64LocatorSignature)
        return false;
    unsigned char pointer[8] = {};
    theArchive.ReadAt(record - kZip64LocatorSize + 8, pointer, sizeof pointer);
    const uint64_t zip64 = Get64(pointer);
    return zip64 >= record || Read32(theArchive, zip64) != kZip64EndSignature;
}
