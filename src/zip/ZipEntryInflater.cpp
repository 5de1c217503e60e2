#include "zip/ZipEntryDecoder.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"

#include <climits>
#include <cstring>

namespace {

constexpr uint16_t kMethodDeflated = 8;

uInt ZlibLength(size_t theLength)
{
    return theLength < UINT_MAX ? static_cast<uInt>(theLength) : UINT_MAX;
}

} // namespace

CZipEntryInflater::~CZipEntryInflater()
{
    if (bStreamReady)
        inflateEnd(&itsStream);
}

void CZipEntryInflater::Start(const CZipEntry& theEntry)
{
    itsEntry = &theEntry;
    itsFailure.clear();
    bDeflated = theEntry.itsMethod == kMethodDeflated;
    bEmpty = theEntry.itsCompressedSize == 0;
    bInputDone = false;
    bFinished = false;
    itsPendingError = 0;
    itsExpectedSize = theEntry.itsSize;
    itsExpectedCrc = theEntry.itsCrc;
    itsSize = 0;
    itsCrc = crc32_z(0, nullptr, 0);
    if (!bDeflated || bEmpty)
        return;
    if (bStreamReady) {
        inflateReset(&itsStream);
    } else {
        itsStream = z_stream {};
        bStreamReady = inflateInit2(&itsStream, -MAX_WBITS) == Z_OK;
        if (!bStreamReady) {
            itsPendingError = kZipErrorZlib;
            itsFailure = "the inflater cannot be started";
        }
    }
}

int64_t CZipEntryInflater::Inflate(const char*& pInput, size_t& theInputLength, bool bLastInput,
    char* pOutput, size_t theSize, int& theError)
{
    if (itsPendingError != 0) {
        theError = itsPendingError;
        return -1;
    }
    if (bFinished || theSize == 0)
        return 0;
    // libzip hands out nothing for an entry that stores nothing and checks
    // no CRC; a size it declares all the same is not there.
    if (bEmpty)
        bInputDone = true;
    if (!bInputDone) {
        const size_t count = bDeflated ? Decompress(pInput, theInputLength, pOutput, theSize)
                                       : Copy(pInput, theInputLength, pOutput, theSize);
        if (count > 0)
            return Produced(pOutput, count, theError);
        if (itsPendingError != 0) {
            theError = itsPendingError;
            return -1;
        }
        if (!bInputDone && !(bLastInput && theInputLength == 0))
            return 0;
        // Deflate data that stops short is not refused as such: the checks
        // of the end find what is missing, as they do in libzip.
        bInputDone = true;
    }
    return End(theError);
}

size_t CZipEntryInflater::Copy(const char*& pInput, size_t& theInputLength, char* pOutput, size_t theSize)
{
    const size_t count = theInputLength < theSize ? theInputLength : theSize;
    std::memcpy(pOutput, pInput, count);
    pInput += count;
    theInputLength -= count;
    return count;
}

size_t CZipEntryInflater::Decompress(
    const char*& pInput, size_t& theInputLength, char* pOutput, size_t theSize)
{
    size_t produced = 0;
    // inflate stops when it runs out of input or of room, or at the end.
    while (produced == 0 && theInputLength > 0) {
        itsStream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pInput));
        itsStream.avail_in = ZlibLength(theInputLength);
        itsStream.next_out = reinterpret_cast<Bytef*>(pOutput);
        itsStream.avail_out = ZlibLength(theSize);
        const uInt inputBefore = itsStream.avail_in;
        const uInt outputBefore = itsStream.avail_out;
        const int result = inflate(&itsStream, Z_NO_FLUSH);
        const size_t consumed = inputBefore - itsStream.avail_in;
        pInput += consumed;
        theInputLength -= consumed;
        produced = outputBefore - itsStream.avail_out;
        if (result == Z_BUF_ERROR && consumed == 0 && produced == 0)
            break;
        if (result == Z_STREAM_END) {
            // Whatever follows the stream is ignored, as libzip ignores it.
            bInputDone = true;
            break;
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            // What the failing call wrote is dropped, as libzip drops it;
            // what earlier calls wrote has been handed out.
            itsPendingError = kZipErrorZlib;
            itsFailure = FaultText("the deflated data is damaged after %llu bytes of data (zlib: %s)",
                static_cast<unsigned long long>(itsSize), itsStream.msg ? itsStream.msg : "no reason");
            return 0;
        }
    }
    return produced;
}

int64_t CZipEntryInflater::Produced(const char* pOutput, size_t theCount, int& theError)
{
    if (theCount > itsExpectedSize - itsSize)
        return Fail(kZipErrorInconsistent,
            FaultText("the data is longer than the %llu bytes the directory declares",
                static_cast<unsigned long long>(itsExpectedSize)),
            theError);
    itsCrc = crc32_z(itsCrc, reinterpret_cast<const Bytef*>(pOutput), theCount);
    itsSize += theCount;
    return static_cast<int64_t>(theCount);
}

int64_t CZipEntryInflater::End(int& theError)
{
    const auto expected = static_cast<unsigned long long>(itsExpectedSize);
    if (bEmpty && itsExpectedSize != 0)
        return Fail(kZipErrorInconsistent,
            FaultText("nothing is stored, yet the directory declares %llu bytes", expected), theError);
    if (!bEmpty && itsCrc != itsExpectedCrc)
        return Fail(kZipErrorCrc,
            FaultText("the data's CRC-32 is %08x, the directory's %08x", itsCrc, itsExpectedCrc), theError);
    if (itsSize != itsExpectedSize)
        return Fail(kZipErrorInconsistent,
            FaultText("the data holds %llu bytes, the directory declares %llu",
                static_cast<unsigned long long>(itsSize), expected),
            theError);
    bFinished = true;
    return 0;
}

int64_t CZipEntryInflater::Fail(int theCode, std::string theWhat, int& theError)
{
    itsPendingError = theError = theCode;
    itsFailure = std::move(theWhat);
    return -1;
}

std::string CZipEntryInflater::GetFailure() const
{
    if (itsPendingError == 0 || !itsEntry)
        return itsFailure;
    return FaultText("%s (%s)", itsFailure.c_str(), EntryPlace(*itsEntry).c_str());
}
