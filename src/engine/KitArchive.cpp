#include "engine/KitArchive.h"

#include "engine/SafeEntryName.h"

#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <unordered_set>

namespace {

struct ArchiveCloser {
    void operator()(archive* pArchive) const { archive_read_free(pArchive); }
};
using ArchiveHandle = std::unique_ptr<archive, ArchiveCloser>;

class CDescriptor {
public:
    explicit CDescriptor(int theDescriptor)
        : itsDescriptor(theDescriptor)
    {
    }
    ~CDescriptor()
    {
        if (itsDescriptor != -1)
            close(itsDescriptor);
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int Get() const { return itsDescriptor; }
    // close's own answer: a write that failed late shows here.
    int Close()
    {
        const int result = close(itsDescriptor);
        itsDescriptor = -1;
        return result;
    }

private:
    int itsDescriptor;
};

const char kOnlyFilesAndFolders[] = "; a kit archive holds only files and folders";

// The folder theRelative beneath theRoot, made where missing with mode 0700,
// never through a link (none can be there: the unpacker makes none, and the
// names were checked); -1 with errno.
int MakeKitFolders(int theRoot, const std::string& theRelative)
{
    int folder = fcntl(theRoot, F_DUPFD_CLOEXEC, 0);
    for (size_t start = 0; folder != -1 && start < theRelative.size();) {
        size_t end = theRelative.find('/', start);
        if (end == std::string::npos)
            end = theRelative.size();
        const std::string name = theRelative.substr(start, end - start);
        start = end + 1;
        if (mkdirat(folder, name.c_str(), 0700) != 0 && errno != EEXIST) {
            const int error = errno;
            close(folder);
            errno = error;
            return -1;
        }
        const int next = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        close(folder);
        errno = error;
        folder = next;
    }
    return folder;
}

// The entry's name as it will lie beneath the folder: "./" in front, as tar
// writes it for "tar -C kit .", names the same item.
std::string UnpackedName(const char* theName)
{
    std::string name(theName ? theName : "");
    while (name.starts_with("./"))
        name.erase(0, 2);
    return name;
}

class CKitUnpacker {
public:
    CKitUnpacker(int theFolder, const KitArchiveLimits& theLimits, std::string& theProblem)
        : itsFolder(theFolder)
        , itsLimits(theLimits)
        , itsProblem(theProblem)
    {
    }

    bool Entry(archive* pArchive, archive_entry* pEntry, const volatile std::sig_atomic_t* pStop)
    {
        const char* stored = archive_entry_pathname(pEntry);
        itsName = stored ? stored : "";
        if (++itsEntries > itsLimits.itsEntries)
            return Fail("it holds more than " + std::to_string(itsLimits.itsEntries) + " entries");
        if (archive_entry_hardlink(pEntry))
            return Fail("'" + itsName + "' is a hard link" + kOnlyFilesAndFolders);
        const mode_t type = archive_entry_filetype(pEntry);
        if (type == AE_IFLNK)
            return Fail("'" + itsName + "' is a symbolic link" + kOnlyFilesAndFolders);
        if (type != AE_IFREG && type != AE_IFDIR)
            return Fail("'" + itsName + "' is a device, a pipe or a socket" + kOnlyFilesAndFolders);
        std::string name = UnpackedName(stored);
        if (!IsSafeEntryName(name.c_str()))
            return Fail("'" + itsName + "' is an absolute name or leads outside the kit");
        const bool bFolder = type == AE_IFDIR;
        while (!name.empty() && name.back() == '/')
            name.pop_back();
        if (name.empty())
            return bFolder || Fail("'" + itsName + "' is a file without a name");
        if (!Claim(name, bFolder))
            return Fail("'" + itsName + "' repeats the name of an earlier entry");
        return bFolder ? MakeFolder(name) : WriteFile(pArchive, pEntry, name, pStop);
    }

    bool Fail(const std::string& theProblem)
    {
        itsProblem = theProblem;
        return false;
    }

    const std::string& CurrentName() const { return itsName; }

private:
    // Each item is named once: a file twice, or one name as a file and as a
    // folder (the folder perhaps only implied by what lies in it), would let
    // the order of the entries decide what the kit holds.
    bool Claim(const std::string& theName, bool bFolder)
    {
        for (size_t slash = theName.find('/'); slash != std::string::npos;
             slash = theName.find('/', slash + 1)) {
            const std::string parent = theName.substr(0, slash);
            if (itsFiles.contains(parent))
                return false;
            itsFolders.insert(parent);
        }
        if (bFolder)
            return !itsFiles.contains(theName) && (itsFolders.insert(theName), true);
        return !itsFolders.contains(theName) && itsFiles.insert(theName).second;
    }

    bool MakeFolder(const std::string& theName)
    {
        const int folder = MakeKitFolders(itsFolder, theName);
        if (folder == -1)
            return Fail("'" + itsName + "' cannot be made: " + std::strerror(errno));
        close(folder);
        return true;
    }

    bool WriteFile(archive* pArchive, archive_entry* pEntry, const std::string& theName,
        const volatile std::sig_atomic_t* pStop)
    {
        // The size a header declares is checked before a byte is written, so
        // an entry that claims terabytes costs nothing.
        const int64_t declared = archive_entry_size_is_set(pEntry) ? archive_entry_size(pEntry) : 0;
        if (declared < 0 || uint64_t(declared) > itsLimits.itsBytes - itsBytes)
            return TooLarge();
        const size_t slash = theName.rfind('/');
        CDescriptor parent(
            MakeKitFolders(itsFolder, slash == std::string::npos ? "" : theName.substr(0, slash)));
        if (parent.Get() == -1)
            return Fail("'" + itsName + "' cannot be made: " + std::strerror(errno));
        const std::string leaf = slash == std::string::npos ? theName : theName.substr(slash + 1);
        CDescriptor file(
            openat(parent.Get(), leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.Get() == -1)
            return Fail("'" + itsName + "' cannot be made: " + std::strerror(errno));
        for (;;) {
            if (pStop && *pStop)
                return Fail("unpacking was stopped");
            const void* block = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            const int status = archive_read_data_block(pArchive, &block, &size, &offset);
            if (status == ARCHIVE_EOF)
                break;
            if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
                return Fail("it is damaged at '" + itsName + "': " + ErrorText(pArchive));
            // A sparse entry's holes come as offsets: they count as written.
            if (offset < 0 || uint64_t(offset) + size > itsLimits.itsBytes - itsBytes)
                return TooLarge();
            if (!WriteAt(file.Get(), block, size, offset))
                return Fail("'" + itsName + "' cannot be written: " + std::strerror(errno));
            itsWritten = std::max<uint64_t>(itsWritten, uint64_t(offset) + size);
        }
        if (ftruncate(file.Get(), static_cast<off_t>(std::max<int64_t>(declared, int64_t(itsWritten)))) != 0
            || file.Close() != 0)
            return Fail("'" + itsName + "' cannot be written: " + std::strerror(errno));
        itsBytes += std::max<uint64_t>(uint64_t(declared), itsWritten);
        itsWritten = 0;
        return true;
    }

    static bool WriteAt(int theFile, const void* theBytes, size_t theSize, la_int64_t theOffset)
    {
        const char* bytes = static_cast<const char*>(theBytes);
        while (theSize > 0) {
            const ssize_t written = pwrite(theFile, bytes, theSize, theOffset);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            bytes += written;
            theSize -= size_t(written);
            theOffset += written;
        }
        return true;
    }

    bool TooLarge()
    {
        return Fail("'" + itsName + "' would take the unpacked kit past its limit of "
            + std::to_string(itsLimits.itsBytes) + " bytes");
    }

public:
    static std::string ErrorText(archive* pArchive)
    {
        const char* text = archive_error_string(pArchive);
        return text ? text : "unknown error";
    }

private:
    int itsFolder;
    const KitArchiveLimits& itsLimits;
    std::string& itsProblem;
    std::string itsName;
    uint32_t itsEntries = 0;
    uint64_t itsBytes = 0;
    uint64_t itsWritten = 0;
    std::unordered_set<std::string> itsFiles;
    std::unordered_set<std::string> itsFolders;
};

} // namespace

bool UnpackKitArchive(int theArchive, int theFolder, const KitArchiveLimits& theLimits,
    const volatile std::sig_atomic_t* pStop, std::string& theProblem)
{
    ArchiveHandle reader(archive_read_new());
    if (!reader)
        return (theProblem = "there is no memory to read it", false);
    // Only what patchwell-pack writes and what tar writes for a folder: no
    // other format or compression is tried on a file from anywhere.
    archive_read_support_format_tar(reader.get());
    archive_read_support_format_gnutar(reader.get());
    archive_read_support_filter_gzip(reader.get());
    archive_read_support_filter_none(reader.get());
    CKitUnpacker unpacker(theFolder, theLimits, theProblem);
    if (archive_read_open_fd(reader.get(), theArchive, 1 << 16) != ARCHIVE_OK)
        return unpacker.Fail(
            "it is not a kit archive (a gzip-compressed tar file): " + CKitUnpacker::ErrorText(reader.get()));
    for (;;) {
        if (pStop && *pStop)
            return unpacker.Fail("unpacking was stopped");
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
            const std::string text = CKitUnpacker::ErrorText(reader.get());
            if (unpacker.CurrentName().empty())
                return unpacker.Fail("it is not a kit archive (a gzip-compressed tar file): " + text);
            return unpacker.Fail("it is damaged after '" + unpacker.CurrentName() + "': " + text);
        }
        if (!unpacker.Entry(reader.get(), entry, pStop))
            return false;
    }
    return !unpacker.CurrentName().empty() || unpacker.Fail("it holds no files");
}
