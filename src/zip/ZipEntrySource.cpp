#include "zip/ZipEntryDecoder.h"

#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"
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
    itsFailure.clear();
    bEncrypted = theEntry.IsEncrypted();
    if (!theArchive.IsOpen())
        return Fail(kZipErrorInvalid, "the archive is not open");
    // The order of these refusals is libzip's.
    if (bEncrypted && (!thePassword || !*thePassword))
        return Fail(kZipErrorNoPassword, "the entry is encrypted and no password was given");
    if ((bEncrypted && (theEntry.itsFlags & kFlagStrongEncryption)) || theEntry.itsMethod == kMethodAes)
        return Fail(
            kZipErrorEncryptionNotSupported, "the entry uses an encryption other than the traditional one");
    if (theEntry.itsMethod != kMethodStored && theEntry.itsMethod != kMethodDeflated)
        return Fail(kZipErrorCompressionNotSupported,
            FaultText("the entry is compressed by method %u; only stored and deflated entries are read",
                theEntry.itsMethod)
                .c_str());
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

int CZipEntrySource::Fail(int theCode, const char* theWhat)
{
    itsFailure = FaultText("%s (%s)", theWhat, EntryPlace(*itsEntry).c_str());
    return theCode;
}

int CZipEntrySource::CheckLocalHeader()
{
    const CZipEntry& entry = *itsEntry;
    const uint64_t limit = itsArchive->GetDirectoryOffset();
    // The directory's check put the header, the name and the data before it.
    if (entry.itsLocalOffset > limit || limit - entry.itsLocalOffset < kLocalHeaderSize)
        return Fail(kZipErrorInconsistent, "the local header does not lie before the directory");
    const uint64_t room = limit - entry.itsLocalOffset;
    unsigned char* first = itsFirstBlock;
    size_t held = room < kFirstBlockSize ? static_cast<size_t>(room) : kFirstBlockSize;
    itsFirstBlockLength = 0;
    if (int error = itsArchive->ReadAt(entry.itsLocalOffset, first, held))
        return Fail(error, ReadFailure(error, "the local header").c_str());
    itsFirstBlockOffset = entry.itsLocalOffset;
    itsFirstBlockLength = held;
    const unsigned char* header = first;
    if (Get32(header) != kLocalSignature)
        return Fail(kZipErrorNotZip, "the local header lacks its signature");
    const size_t nameLength = Get16(header + 26);
    const size_t extraLength = Get16(header + 28);
    const size_t length = kLocalHeaderSize + nameLength + extraLength;
    if (length > room)
        return Fail(kZipErrorInconsistent, "the local header runs into the directory");
    std::vector<unsigned char> whole;
    if (length > held) {
        whole.resize(length);
        if (int error = itsArchive->ReadAt(entry.itsLocalOffset, whole.data(), length))
            return Fail(error, ReadFailure(error, "the local header").c_str());
        header = whole.data();
    }
    const unsigned char* name = header + kLocalHeaderSize;
    const uint16_t flags = Get16(header + 6);
    if ((flags & kFlagUtf8) && !IsStrictUtf8(name, nameLength))
        return Fail(kZipErrorInconsistent, "the local header's name is marked as UTF-8 but is not");
    CZip64Values values;
    values.itsCompressedSize = Get32(header + 18);
    values.itsSize = Get32(header + 22);
    values.itsOffset = entry.itsLocalOffset;
    const char* fault = nullptr;
    if (int error = ReadExtraFields(name + nameLength, extraLength, HeaderKind::kLocal, values, fault))
        return Fail(error, FaultText("in the local header, %s", fault).c_str());

    const uint16_t method = Get16(header + 8);
    const uint16_t dosTime = Get16(header + 10);
    const uint16_t dosDate = Get16(header + 12);
    const bool bSameDate = (dosTime == entry.itsDosTime && dosDate == entry.itsDosDate)
        || DosToTime(dosTime, dosDate) == entry.GetModificationTime();
    if (method != entry.itsMethod)
        return Fail(kZipErrorInconsistent, "the local header's method differs from the directory's");
    if (!bSameDate)
        return Fail(kZipErrorInconsistent, "the local header's date differs from the directory's");
    if (nameLength != entry.itsName.size()
        || entry.itsName.compare(0, nameLength, reinterpret_cast<const char*>(name), nameLength) != 0)
        return Fail(kZipErrorInconsistent, "the local header's name differs from the directory's");
    // With a data descriptor after the data, writers that cannot go back
    // leave in the local header what they do not know yet: zero, field by
    // field; an encrypting Info-ZIP writes the time into the CRC's place.
    const uint32_t crc = Get32(header + 14);
    const bool bDeferred = (flags & kFlagDataDescriptor) != 0;
    const auto agrees = [bDeferred](uint64_t theLocal, uint64_t theCentral) {
        return theLocal == theCentral || (bDeferred && theLocal == 0);
    };
    const bool bTimeForCrc = bDeferred && entry.IsEncrypted() && crc == static_cast<uint32_t>(dosTime) << 16;
    if (!agrees(crc, entry.itsCrc) && !bTimeForCrc)
        return Fail(kZipErrorInconsistent, "the local header's CRC-32 differs from the directory's");
    if (!agrees(values.itsCompressedSize, entry.itsCompressedSize))
        return Fail(kZipErrorInconsistent, "the local header's compressed size differs from the directory's");
    if (!agrees(values.itsSize, entry.itsSize))
        return Fail(kZipErrorInconsistent, "the local header's size differs from the directory's");
    if (entry.itsCompressedSize > room - length)
        return Fail(kZipErrorInconsistent, "the data runs into the directory");
    // Only here is the local extra field known: with it the data may reach
    // into the next entry, whose span the directory's check could not see.
    const uint64_t dataEnd = entry.itsLocalOffset + length + entry.itsCompressedSize;
    if (dataEnd > entry.itsSpanLimit)
        return Fail(kZipErrorInconsistent,
            FaultText("the data runs into the next entry's local header at offset %llu",
                static_cast<unsigned long long>(entry.itsSpanLimit))
                .c_str());
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
        return Fail(kZipErrorEndOfFile, "the data is shorter than an encryption header");
    if (!bHeaderHeld)
        if (int error = itsArchive->ReadAt(itsNext, header, sizeof header))
            return Fail(error, ReadFailure(error, "the encryption header").c_str());
    itsNext += sizeof header;
    itsLeft -= sizeof header;
    itsCipher.Start(thePassword, std::strlen(thePassword));
    const unsigned char check = itsCipher.DecryptHeader(header);
    // Writers check against the CRC's top byte, or, when the CRC is not
    // known before the data is written, the time's; libzip takes either.
    if (check == itsEntry->itsCrc >> 24 || check == itsEntry->GetModificationDosTime() >> 8)
        return 0;
    return Fail(kZipErrorWrongPassword, "the password does not open the entry");
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
