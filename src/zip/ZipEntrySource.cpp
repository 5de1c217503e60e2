#include "zip/ZipEntryDecoder.h"

#include "zip/ZipErrors.h"
#include "zip/ZipRecords.h"

#include <cstring>
#include <vector>

using namespace zip_records;

namespace {

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kMethodAes = 99;

} // namespace

int CZipEntrySource::Open(
    const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword)
{
    itsArchive = &theArchive;
    itsEntry = &theEntry;
    itsLeft = 0;
    bEncrypted = theEntry.IsEncrypted();
    if (!theArchive.IsOpen())
        return kZipErrorInvalid;
    // The order of these refusals is libzip's.
    if (bEncrypted && (!thePassword || !*thePassword))
        return kZipErrorNoPassword;
    if (bEncrypted && (theEntry.itsFlags & kFlagStrongEncryption))
        return kZipErrorEncryptionNotSupported;
    if (theEntry.itsMethod == kMethodAes)
        return kZipErrorEncryptionNotSupported;
    if (theEntry.itsMethod != kMethodStored && theEntry.itsMethod != kMethodDeflated)
        return kZipErrorCompressionNotSupported;
    if (int error = CheckLocalHeader())
        return error;
    itsLeft = theEntry.itsCompressedSize;
    // Nothing stored means no encryption header either.
    if (!bEncrypted || itsLeft == 0) {
        bEncrypted = false;
        return 0;
    }
    return StartDecryption(thePassword);
}

int CZipEntrySource::CheckLocalHeader()
{
    const CZipEntry& entry = *itsEntry;
    const uint64_t limit = itsArchive->GetDirectoryOffset();
    // The directory's check put the header, the name and the data before it.
    if (entry.itsLocalOffset > limit || limit - entry.itsLocalOffset < kLocalHeaderSize)
        return kZipErrorInconsistent;
    const uint64_t room = limit - entry.itsLocalOffset;
    unsigned char* first = itsFirstBlock;
    size_t held = room < kFirstBlockSize ? static_cast<size_t>(room) : kFirstBlockSize;
    itsFirstBlockLength = 0;
    if (int error = itsArchive->ReadAt(entry.itsLocalOffset, first, held))
        return error;
    itsFirstBlockOffset = entry.itsLocalOffset;
    itsFirstBlockLength = held;
    const unsigned char* header = first;
    if (Get32(header) != kLocalSignature)
        return kZipErrorNotZip;
    const size_t nameLength = Get16(header + 26);
    const size_t extraLength = Get16(header + 28);
    const size_t length = kLocalHeaderSize + nameLength + extraLength;
    if (length > room)
        return kZipErrorInconsistent;
    std::vector<unsigned char> whole;
    if (length > held) {
        whole.resize(length);
        if (int error = itsArchive->ReadAt(entry.itsLocalOffset, whole.data(), length))
            return error;
        header = whole.data();
    }
    const unsigned char* name = header + kLocalHeaderSize;
    const uint16_t flags = Get16(header + 6);
    if ((flags & kFlagUtf8) && !IsStrictUtf8(name, nameLength))
        return kZipErrorInconsistent;
    CZip64Values values;
    values.itsCompressedSize = Get32(header + 18);
    values.itsSize = Get32(header + 22);
    if (int error = ReadExtraFields(name + nameLength, extraLength, HeaderKind::kLocal, values))
        return error;

    const uint16_t method = Get16(header + 8);
    const uint16_t dosTime = Get16(header + 10);
    const uint16_t dosDate = Get16(header + 12);
    const bool bSameDate = (dosTime == entry.itsDosTime && dosDate == entry.itsDosDate)
        || DosToTime(dosTime, dosDate) == entry.GetModificationTime();
    if (method != entry.itsMethod || !bSameDate || nameLength != entry.itsName.size()
        || entry.itsName.compare(0, nameLength, reinterpret_cast<const char*>(name), nameLength) != 0)
        return kZipErrorInconsistent;
    const uint32_t crc = Get32(header + 14);
    const bool bSameValues = crc == entry.itsCrc && values.itsCompressedSize == entry.itsCompressedSize
        && values.itsSize == entry.itsSize;
    // With a data descriptor the local header may leave all three at zero.
    const bool bDeferred
        = (flags & kFlagDataDescriptor) && crc == 0 && values.itsCompressedSize == 0 && values.itsSize == 0;
    if (!bSameValues && !bDeferred)
        return kZipErrorInconsistent;
    if (entry.itsCompressedSize > room - length)
        return kZipErrorInconsistent;
    itsNext = entry.itsLocalOffset + length;
    bHeaderHeld = header == first && held - length >= sizeof itsEncryptionHeader;
    if (bHeaderHeld)
        std::memcpy(itsEncryptionHeader, first + length, sizeof itsEncryptionHeader);
    return 0;
}

int CZipEntrySource::StartDecryption(const char* thePassword)
{
    unsigned char(&header)[CTraditionalCipher::kHeaderSize] = itsEncryptionHeader;
    if (itsLeft < sizeof header)
        return kZipErrorEndOfFile;
    if (!bHeaderHeld)
        if (int error = itsArchive->ReadAt(itsNext, header, sizeof header))
            return error;
    itsNext += sizeof header;
    itsLeft -= sizeof header;
    itsCipher.Start(thePassword, std::strlen(thePassword));
    const unsigned char check = itsCipher.DecryptHeader(header);
    // Writers check against the CRC's top byte, or, when the CRC is not
    // known before the data is written, the time's; libzip takes either.
    if (check == itsEntry->itsCrc >> 24 || check == itsEntry->GetModificationDosTime() >> 8)
        return 0;
    return kZipErrorWrongPassword;
}

int64_t CZipEntrySource::Read(char* pBuffer, size_t theSize, int& theError)
{
    const size_t count = itsLeft < theSize ? static_cast<size_t>(itsLeft) : theSize;
    if (count == 0)
        return 0;
    // A small entry came whole with the header's read: no second read.
    const uint64_t heldEnd = itsFirstBlockOffset + itsFirstBlockLength;
    if (itsNext >= itsFirstBlockOffset && itsNext <= heldEnd && count <= heldEnd - itsNext)
        std::memcpy(pBuffer, itsFirstBlock + (itsNext - itsFirstBlockOffset), count);
    else if (int error = itsArchive->ReadAt(itsNext, pBuffer, count)) {
        theError = error;
        return -1;
    }
    itsNext += count;
    itsLeft -= count;
    if (bEncrypted)
        itsCipher.Decrypt(reinterpret_cast<unsigned char*>(pBuffer), count);
    return static_cast<int64_t>(count);
}
