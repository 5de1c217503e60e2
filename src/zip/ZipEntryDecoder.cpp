#include "zip/ZipEntryDecoder.h"
#include "zip/ZipErrors.h"
#include "zip/ZipFault.h"

void CInflatingReader::Reset()
{
    itsPending = nullptr;
    itsPendingLength = 0;
    bInputDone = false;
    itsError = 0;
    bInputFailed = false;
}

void CInflatingReader::Start(const CZipEntry& theEntry)
{
    Reset();
    itsEntry = &theEntry;
    itsInflater.Start(theEntry);
}

std::string CInflatingReader::GetFailure() const
{
    if (itsError == 0)
        return std::string();
    if (!bInputFailed || !itsEntry)
        return itsInflater.GetFailure();
    return FaultText(
        "%s (%s)", ReadFailure(itsError, "the entry's data").c_str(), EntryPlace(*itsEntry).c_str());
}

int CZipEntryDecoder::Open(
    const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword)
{
    bOpen = false;
    itsReader.Reset();
    bOpenFailed = false;
    if (int error = itsSource.Open(theArchive, theEntry, thePassword)) {
        bOpenFailed = true;
        return error;
    }
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

std::string CZipEntryDecoder::GetFailure() const
{
    return bOpenFailed ? itsSource.GetFailure() : itsReader.GetFailure();
}
