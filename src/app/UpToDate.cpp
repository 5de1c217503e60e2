#include "app/UpToDate.h"

#include "engine/SafeEntryName.h"
#include "engine/ZipExtractor.h"
#include "engine/ZipHandles.h"
#include "foundation/RegularFile.h"

#include <memory>
#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

namespace {

bool SameFile(const char* thePath, zip_uint64_t theSize, zip_uint32_t theCrc)
{
    int error = 0;
    std::unique_ptr<FILE, int (*)(FILE*)> file(OpenRegularFile(thePath, "rb", error), std::fclose);
    if (!file)
        return false;
    uLong crc = crc32(0, nullptr, 0);
    zip_uint64_t size = 0;
    unsigned char block[1 << 16];
    while (size_t count = std::fread(block, 1, sizeof block, file.get())) {
        crc = crc32(crc, block, static_cast<uInt>(count));
        size += count;
        if (size > theSize)
            return false;
    }
    return !std::ferror(file.get()) && size == theSize && crc == theCrc;
}

} // namespace

bool IsAlreadyInstalled(const char* theZipPath, const char* theFolder)
{
    int error = 0;
    CZipArchiveHandle archive(theZipPath && *theZipPath ? zip_open(theZipPath, ZIP_RDONLY, &error) : nullptr);
    if (!archive)
        return false;
    // The run's own mapping, so that the paths compared are those it writes.
    CZipExtractor mapper;
    mapper.AddNameMapping("NewFiles/", "", nullptr);
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t info;
        zip_stat_init(&info);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &info) != 0
            || !(info.valid & ZIP_STAT_NAME) || !(info.valid & ZIP_STAT_SIZE) || !(info.valid & ZIP_STAT_CRC))
            return false;
        const Cstring name = mapper.MapEntryName(info.name);
        if (!IsSafeEntryName(name.GetText()))
            return false;
        const Cstring path = Cstring::Path(theFolder, name.GetText());
        if (name.IsEmpty() || EndsWithNoCase(name.GetText(), "/")) {
            struct stat folder;
            if (stat(path.GetText(), &folder) != 0 || !S_ISDIR(folder.st_mode))
                return false;
        } else if (!SameFile(path.GetText(), info.size, info.crc)) {
            return false;
        }
    }
    return count > 0;
}
