#include "tools/ZipHandles.h"

#include <zip.h>

void CZipArchiveCloser::operator()(zip* pArchive) const
{
    zip_discard(pArchive);
}

void CZipEntryCloser::operator()(zip_file* pEntry) const
{
    zip_fclose(pEntry);
}

int ZipArchiveErrorCode(zip* pArchive)
{
    return zip_error_code_zip(zip_get_error(pArchive));
}

int ZipEntryErrorCode(zip_file* pEntry)
{
    return zip_error_code_zip(zip_file_get_error(pEntry));
}
