#include "tools/KitArchiveWriter.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct WriterCloser {
    void operator()(archive* pArchive) const { archive_write_free(pArchive); }
};
struct EntryFreer {
    void operator()(archive_entry* pEntry) const { archive_entry_free(pEntry); }
};

class CKitPacker {
public:
    CKitPacker(archive* pArchive, Cstring& theError)
        : itsArchive(pArchive)
        , itsError(theError)
    {
    }

    bool AddTree(const std::filesystem::path& theFolder, const std::string& theName)
    {
        struct stat info;
        if (lstat(theFolder.c_str(), &info) != 0)
            return Fail(theFolder.string(), std::strerror(errno));
        if (!AddHeader(theName + "/", info, AE_IFDIR, 0))
            return false;
        std::error_code error;
        std::vector<std::filesystem::path> entries;
        for (std::filesystem::directory_iterator it(theFolder, error), end; !error && it != end;
             it.increment(error))
            entries.push_back(it->path());
        if (error)
            return Fail(theFolder.string(), error.message());
        std::sort(entries.begin(), entries.end());
        for (const std::filesystem::path& entry : entries) {
            const std::string name = theName + "/" + entry.filename().string();
            if (lstat(entry.c_str(), &info) != 0)
                return Fail(entry.string(), std::strerror(errno));
            if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))
                return Fail(entry.string(), "is not a regular file or a folder");
            if (!(S_ISDIR(info.st_mode) ? AddTree(entry, name) : AddFile(entry, name, info)))
                return false;
        }
        return true;
    }

    bool Finish()
    {
        return archive_write_close(itsArchive) == ARCHIVE_OK || Fail("the archive", LibraryText());
    }

private:
    bool AddFile(const std::filesystem::path& thePath, const std::string& theName, const struct stat& theInfo)
    {
        FILE* file = std::fopen(thePath.c_str(), "rb");
        if (!file)
            return Fail(thePath.string(), std::strerror(errno));
        bool bDone = AddHeader(theName, theInfo, AE_IFREG, theInfo.st_size);
        std::size_t total = 0;
        char buffer[1 << 16];
        while (bDone) {
            const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
            if (count == 0)
                break;
            total += count;
            // More than the header declared would not fit the entry.
            if (total > static_cast<std::size_t>(theInfo.st_size))
                break;
            bDone = archive_write_data(itsArchive, buffer, count) == static_cast<la_ssize_t>(count)
                || Fail("the archive", LibraryText());
        }
        if (bDone && (std::ferror(file) || total != static_cast<std::size_t>(theInfo.st_size)))
            bDone = Fail(thePath.string(), "changed or could not be read while it was packed");
        std::fclose(file);
        return bDone;
    }

    bool AddHeader(const std::string& theName, const struct stat& theInfo, unsigned theType, int64_t theSize)
    {
        std::unique_ptr<archive_entry, EntryFreer> entry(archive_entry_new());
        archive_entry_set_pathname(entry.get(), theName.c_str());
        archive_entry_set_filetype(entry.get(), theType);
        archive_entry_set_perm(entry.get(), theInfo.st_mode & 07777);
        archive_entry_set_size(entry.get(), theSize);
        archive_entry_set_mtime(entry.get(), std::max<time_t>(theInfo.st_mtime, 0), 0);
        archive_entry_set_uid(entry.get(), 0);
        archive_entry_set_gid(entry.get(), 0);
        archive_entry_set_uname(entry.get(), "root");
        archive_entry_set_gname(entry.get(), "root");
        const int status = archive_write_header(itsArchive, entry.get());
        return status == ARCHIVE_OK || Fail(theName, LibraryText());
    }

    std::string LibraryText() const
    {
        const char* text = archive_error_string(itsArchive);
        return text ? text : "cannot be written";
    }

    bool Fail(const std::string& theWhat, const std::string& theProblem)
    {
        itsError.Format("%s: %s", theWhat.c_str(), theProblem.c_str());
        return false;
    }

    archive* itsArchive;
    Cstring& itsError;
};

} // namespace

bool WriteKitArchive(const char* theArchive, const char* theFolder, const char* theTopName, Cstring& theError)
{
    std::string temporary = std::string(theArchive) + ".partial-XXXXXX";
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        theError.Format("%s: %s", theArchive, std::strerror(errno));
        return false;
    }
    bool bDone;
    {
        std::unique_ptr<archive, WriterCloser> writer(archive_write_new());
        CKitPacker packer(writer.get(), theError);
        // ustar: what every tar reads; a path of up to 255 bytes, files under 8 GB.
        bDone = writer && archive_write_set_format_ustar(writer.get()) == ARCHIVE_OK
            && archive_write_add_filter_gzip(writer.get()) == ARCHIVE_OK
            && archive_write_open_fd(writer.get(), descriptor) == ARCHIVE_OK;
        if (!bDone)
            theError.Format("%s: cannot be written", theArchive);
        bDone = bDone && packer.AddTree(theFolder, theTopName) && packer.Finish();
    }
    if (bDone && fsync(descriptor) != 0) {
        theError.Format("%s: %s", theArchive, std::strerror(errno));
        bDone = false;
    }
    close(descriptor);
    // Readable by whoever the vendor hands it to, as the kit folder is, and
    // never moved over a file that appeared meanwhile.
    if (bDone
        && (chmod(temporary.c_str(), 0644) != 0
            || renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, theArchive, RENAME_NOREPLACE) != 0)) {
        theError.Format("%s: %s", theArchive, errno == EEXIST ? "it exists" : std::strerror(errno));
        bDone = false;
    }
    if (!bDone)
        std::remove(temporary.c_str());
    return bDone;
}
