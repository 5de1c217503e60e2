#include "zip/ZipEntryDecoder.h"
#include "zip/ZipErrors.h"

void CInflatingReader::Reset()
{
    itsPending = nullptr;
    itsPendingLength = 0;
    bInputDone = false;
    itsError = 0;
}

void CInflatingReader::Start(const CZipEntry& theEntry)
{
    Reset();
    itsInflater.Start(theEntry);
}

int CZipEntryDecoder::Open(
    const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword)
{
    bOpen = false;
    itsReader.Reset();
    if (int error = itsSource.Open(theArchive, theEntry, thePassword))
        return error;
    itsReader.Start(theEntry);
    if (!itsInput)
        itsInput = std::make_unique<char[]>(kInputSize);
    bOpen = true;
    return 0;
}

int64_t CZipEntryDecoder::Read(char* pBuffer, size_t theSize, int& theError)
{
    if (!bOpen) {
        theError = kZipErrorInvalid;
        return -1;
    }
    return itsReader.Read(pBuffer, theSize, theError, [this](const char*& pData, int& theReadError) {
        pData = itsInput.get();
        return itsSource.Read(itsInput.get(), kInputSize, theReadError);
    });
}

int CZipEntryDecoder::Close()
{
    bOpen = false;
    return itsReader.Error();
}
