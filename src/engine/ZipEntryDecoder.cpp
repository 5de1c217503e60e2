#include "engine/ZipEntryDecoder.h"

#include <zip.h>

int CZipEntryDecoder::Open(
    const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const Cstring& thePassword)
{
    bOpen = false;
    itsError = 0;
    if (int error = itsSource.Open(theArchive, theEntry, thePassword))
        return error;
    itsInflater.Start(theEntry);
    if (!itsInput)
        itsInput = std::make_unique<char[]>(kInputSize);
    itsPending = itsInput.get();
    itsPendingLength = 0;
    bSourceDone = false;
    bOpen = true;
    return 0;
}

int64_t CZipEntryDecoder::Read(char* pBuffer, size_t theSize, int& theError)
{
    if (!bOpen) {
        theError = ZIP_ER_INVAL;
        return -1;
    }
    if (itsError != 0) {
        theError = itsError;
        return -1;
    }
    size_t filled = 0;
    while (filled < theSize && !itsInflater.IsFinished()) {
        int error = 0;
        if (itsPendingLength == 0 && !bSourceDone) {
            const int64_t count = itsSource.Read(itsInput.get(), kInputSize, error);
            if (count < 0) {
                itsError = error;
                break;
            }
            bSourceDone = count == 0;
            itsPending = itsInput.get();
            itsPendingLength = static_cast<size_t>(count);
        }
        const int64_t count = itsInflater.Inflate(
            itsPending, itsPendingLength, bSourceDone, pBuffer + filled, theSize - filled, error);
        if (count < 0) {
            itsError = error;
            break;
        }
        filled += static_cast<size_t>(count);
    }
    // Like zip_fread: what was read before a failure first, the failure next.
    if (filled > 0)
        return static_cast<int64_t>(filled);
    if (itsError != 0) {
        theError = itsError;
        return -1;
    }
    return 0;
}

int CZipEntryDecoder::Close()
{
    bOpen = false;
    return itsError;
}
