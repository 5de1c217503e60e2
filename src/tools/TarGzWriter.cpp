#include "tools/TarGzWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr std::size_t kBlock = 512;

struct TarHeader {
    char itsName[100];
    char itsMode[8];
    char itsUid[8];
    char itsGid[8];
    char itsSize[12];
    char itsMtime[12];
    char itsChecksum[8];
    char itsType;
    char itsLinkName[100];
    char itsMagic[6];
    char itsVersion[2];
    char itsUser[32];
    char itsGroup[32];
    char itsDevMajor[8];
    char itsDevMinor[8];
    char itsPrefix[155];
    char itsPad[12];
};
static_assert(sizeof(TarHeader) == kBlock);

// Writes theValue as N - 1 octal digits and a zero; false when it has more
// digits than the field holds (a file of 8 GB or more), rather than cut short.
template <std::size_t N> bool Octal(char (&theField)[N], unsigned long long theValue)
{
    theField[N - 1] = 0;
    for (std::size_t i = N - 1; i-- > 0; theValue >>= 3)
        theField[i] = static_cast<char>('0' + (theValue & 7));
    return theValue == 0;
}

// ustar keeps a path of up to 255 bytes as a prefix and a name split at a '/'.
bool SplitName(const std::string& thePath, TarHeader& theHeader)
{
    if (thePath.size() <= sizeof theHeader.itsName) {
        std::memcpy(theHeader.itsName, thePath.data(), thePath.size());
        return true;
    }
    for (std::size_t slash = thePath.find('/'); slash != std::string::npos;
         slash = thePath.find('/', slash + 1)) {
        const std::size_t rest = thePath.size() - slash - 1;
        if (slash <= sizeof theHeader.itsPrefix && rest > 0 && rest <= sizeof theHeader.itsName) {
            std::memcpy(theHeader.itsPrefix, thePath.data(), slash);
            std::memcpy(theHeader.itsName, thePath.data() + slash + 1, rest);
            return true;
        }
    }
    return false;
}

class CTarGzStream {
public:
    explicit CTarGzStream(const char* thePath)
        : itsFile(gzopen(thePath, "wb"))
    {
    }
    ~CTarGzStream()
    {
        if (itsFile)
            gzclose(itsFile);
    }

    bool IsOpen() const { return itsFile != nullptr; }

    bool Write(const void* theBytes, std::size_t theCount)
    {
        return theCount == 0
            || gzwrite(itsFile, theBytes, static_cast<unsigned>(theCount)) == static_cast<int>(theCount);
    }

    bool Pad(std::size_t theWritten)
    {
        static const char zeros[kBlock] = {};
        return Write(zeros, (kBlock - theWritten % kBlock) % kBlock);
    }

    bool Close()
    {
        const int status = gzclose(itsFile);
        itsFile = nullptr;
        return status == Z_OK;
    }

private:
    gzFile itsFile;
};

class CTarPacker {
public:
    CTarPacker(CTarGzStream& theStream, Cstring& theError)
        : itsStream(theStream)
        , itsError(theError)
    {
    }

    bool AddTree(const std::filesystem::path& theFolder, const std::string& theName)
    {
        struct stat info;
        if (lstat(theFolder.c_str(), &info) != 0)
            return Fail(theFolder.string(), std::strerror(errno));
        if (!AddHeader(theName + "/", info, '5', 0))
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
        static const char zeros[2 * kBlock] = {};
        return itsStream.Write(zeros, sizeof zeros) || Fail("the archive", std::strerror(errno));
    }

private:
    bool AddFile(const std::filesystem::path& thePath, const std::string& theName, const struct stat& theInfo)
    {
        FILE* file = std::fopen(thePath.c_str(), "rb");
        if (!file)
            return Fail(thePath.string(), std::strerror(errno));
        bool bDone = AddHeader(theName, theInfo, '0', theInfo.st_size);
        std::size_t total = 0;
        char buffer[1 << 16];
        while (bDone) {
            const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
            total += count;
            if (count == 0)
                break;
            bDone = itsStream.Write(buffer, count) || Fail("the archive", "cannot be written");
        }
        if (bDone && (std::ferror(file) || total != static_cast<std::size_t>(theInfo.st_size)))
            bDone = Fail(thePath.string(), "changed or could not be read while it was packed");
        std::fclose(file);
        return bDone && (itsStream.Pad(total) || Fail("the archive", "cannot be written"));
    }

    bool AddHeader(
        const std::string& theName, const struct stat& theInfo, char theType, unsigned long long theSize)
    {
        TarHeader header = {};
        if (!SplitName(theName, header))
            return Fail(theName, "is too long a path for the archive");
        Octal(header.itsMode, theInfo.st_mode & 07777);
        Octal(header.itsUid, 0);
        Octal(header.itsGid, 0);
        if (!Octal(header.itsSize, theSize))
            return Fail(theName, "is too large for the archive");
        if (!Octal(header.itsMtime, static_cast<unsigned long long>(std::max<time_t>(theInfo.st_mtime, 0))))
            Octal(header.itsMtime, 0); // a date past 2242 is no date
        header.itsType = theType;
        std::memcpy(header.itsMagic, "ustar", 6);
        std::memcpy(header.itsVersion, "00", 2);
        std::strcpy(header.itsUser, "root");
        std::strcpy(header.itsGroup, "root");
        std::memset(header.itsChecksum, ' ', sizeof header.itsChecksum);
        unsigned sum = 0;
        for (unsigned char byte : std::string_view(reinterpret_cast<const char*>(&header), sizeof header))
            sum += byte;
        std::snprintf(header.itsChecksum, sizeof header.itsChecksum, "%06o", sum);
        return itsStream.Write(&header, sizeof header) || Fail("the archive", "cannot be written");
    }

    bool Fail(const std::string& theWhat, const std::string& theProblem)
    {
        itsError.Format("%s: %s", theWhat.c_str(), theProblem.c_str());
        return false;
    }

    CTarGzStream& itsStream;
    Cstring& itsError;
};

} // namespace

bool WriteTarGz(const char* theArchive, const char* theFolder, const char* theTopName, Cstring& theError)
{
    std::string temporary = std::string(theArchive) + ".partial-XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        theError.Format("%s: %s", theArchive, std::strerror(errno));
        return false;
    }
    close(descriptor);
    bool bDone;
    {
        CTarGzStream stream(temporary.c_str());
        CTarPacker packer(stream, theError);
        bDone = (stream.IsOpen() || (theError.Format("%s: cannot be written", theArchive), false))
            && packer.AddTree(theFolder, theTopName) && packer.Finish();
        if (bDone && !stream.Close()) {
            theError.Format("%s: cannot be written", theArchive);
            bDone = false;
        }
    }
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
