#include "engine/UpToDate.h"

#include "engine/EntryPlacement.h"
#include "engine/SafeEntryName.h"
#include "foundation/RegularFile.h"
#include "zip/ZipArchiveFile.h"

#include <memory>
#include <sys/stat.h>
#include <zlib.h>

namespace {

bool SameFile(const char* thePath, uint64_t theSize, uint32_t theCrc)
{
    int error = 0;
    std::unique_ptr<FILE, int (*)(FILE*)> file(OpenRegularFile(thePath, "rb", error), std::fclose);
    if (!file)
        return false;
    uLong crc = crc32(0, nullptr, 0);
    uint64_t size = 0;
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
    CZipArchiveFile archive;
    if (!theZipPath || !*theZipPath || archive.Open(theZipPath) != 0)
        return false;
    // The run's own mapping, so that the paths compared are those it writes.
    const CEntryPlacement mapper = CEntryPlacement::ForUpdate(theFolder);
    CZipDirectoryCursor cursor(archive);
    CZipEntry entry;
    int error = 0;
    uint64_t files = 0;
    while (cursor.Next(entry, error)) {
        if (entry.itsName.find('\0') != std::string::npos)
            return false;
        const Cstring name = mapper.MapEntryName(entry.itsName.c_str());
        if (!IsSafeEntryName(name.GetText()))
            return false;
        const Cstring path = Cstring::Path(theFolder, name.GetText());
        if (name.IsEmpty() || EndsWithNoCase(name.GetText(), "/")) {
            struct stat folder;
            if (stat(path.GetText(), &folder) != 0 || !S_ISDIR(folder.st_mode))
                return false;
        } else if (!SameFile(path.GetText(), entry.itsSize, entry.itsCrc)) {
            return false;
        } else {
            ++files;
        }
    }
    // Folders alone install nothing: such an archive is no update at all.
    return error == 0 && files > 0;
}
