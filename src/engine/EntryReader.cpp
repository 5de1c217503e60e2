#include "engine/EntryReader.h"

#include <zip.h>

zip_file* OpenZipEntry(zip* pArchive, uint64_t theIndex, const Cstring& thePassword)
{
    return thePassword.IsNotEmpty() ? zip_fopen_index_encrypted(pArchive, theIndex, 0, thePassword.GetText())
                                    : zip_fopen_index(pArchive, theIndex, 0);
}

int CDirectEntryReader::Open(uint64_t theIndex)
{
    itsEntry.reset(OpenZipEntry(itsArchive, theIndex, itsPassword));
    return itsEntry ? 0 : ZipArchiveErrorCode(itsArchive);
}

int64_t CDirectEntryReader::Read(char* pBuffer, size_t theSize, int& theError)
{
    const zip_int64_t count = zip_fread(itsEntry.get(), pBuffer, theSize);
    if (count < 0)
        theError = ZipEntryErrorCode(itsEntry.get());
    return count;
}

int CDirectEntryReader::Close()
{
    return itsEntry ? zip_fclose(itsEntry.release()) : 0;
}
