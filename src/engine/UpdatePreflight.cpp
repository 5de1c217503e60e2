#include "engine/UpdatePreflight.h"

#include "engine/SafeEntryName.h"
#include "engine/ZipExtractor.h"
#include "engine/ZipHandles.h"

#include <sys/statvfs.h>
#include <zip.h>

namespace {

bool Refuse(FILE* theLog, Cstring& theMessage)
{
    if (theLog)
        std::fprintf(theLog, "ExtractFiles failed - %s\n", theMessage.GetText());
    return false;
}

} // namespace

bool PreflightUpdate(
    const char* theZipPath, const char* thePassword, const char* theTarget, Cstring& theMessage, FILE* theLog)
{
    int error = 0;
    CZipArchiveHandle archive(
        theZipPath && *theZipPath ? zip_open(theZipPath, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr);
    if (!archive) {
        if (theLog)
            std::fprintf(theLog, "Opening update zip file - %s failed\n", theZipPath ? theZipPath : "");
        theMessage = "Error opening compressed file container";
        return false;
    }

    // The same mapping the run gives its extractor, so the names checked are
    // the names that will be written.
    CZipExtractor mapper;
    mapper.AddNameMapping("NewFiles/", "", nullptr);
    const bool bPassword = thePassword && *thePassword;
    unsigned long long total = 0;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t info;
        zip_stat_init(&info);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &info) != 0 || !info.name) {
            theMessage.Format("Unable to get compressed file info (%d)", ZipArchiveErrorCode(archive.get()));
            return Refuse(theLog, theMessage);
        }
        if (!IsSafeEntryName(mapper.MapEntryName(info.name).GetText())) {
            theMessage.Format("Unsafe file name in archive: %s", info.name);
            return Refuse(theLog, theMessage);
        }
        total += info.size;
        CZipEntryHandle entry(bPassword
                ? zip_fopen_index_encrypted(archive.get(), static_cast<zip_uint64_t>(i), 0, thePassword)
                : zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0));
        if (!entry) {
            theMessage.Format("Unable to open compressed file (%d)", ZipArchiveErrorCode(archive.get()));
            return Refuse(theLog, theMessage);
        }
    }

    struct statvfs disk;
    if (statvfs(theTarget, &disk) == 0) {
        const unsigned long long room = static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize;
        if (total > room) {
            theMessage.Format(
                "Not enough room on the disk for the update: it needs %llu bytes, %llu are free", total,
                room);
            return Refuse(theLog, theMessage);
        }
    }
    return true;
}
