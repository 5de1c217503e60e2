#include "support/ReaderComparison.h"

#include "support/MeantDifferences.h"
#include "tools/ZipHandles.h"
#include "zip/ZipArchiveFile.h"
#include "zip/ZipEntryDecoder.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>
#include <tuple>
#include <vector>
#include <zip.h>

namespace {

constexpr size_t kBlock = 16384;

// An entry's date is a clock time, and in the hour that the end of daylight
// saving repeats, two instants show it: either reader may take either.
bool SameClockTime(time_t theFirst, time_t theSecond)
{
    struct tm first, second;
    return theFirst == theSecond
        || (localtime_r(&theFirst, &first) && localtime_r(&theSecond, &second)
            && std::tie(first.tm_year, first.tm_mon, first.tm_mday, first.tm_hour, first.tm_min, first.tm_sec)
                == std::tie(second.tm_year, second.tm_mon, second.tm_mday, second.tm_hour, second.tm_min,
                    second.tm_sec));
}

// Reads blocks the size the extractor reads until the end or a failure;
// the failure's code, or 0.
template <typename Read> int Drain(std::string& theData, Read theRead)
{
    std::vector<char> block(kBlock);
    int error = 0;
    int64_t count;
    while ((count = theRead(block.data(), block.size(), error)) > 0)
        theData.append(block.data(), static_cast<size_t>(count));
    return count < 0 ? error : 0;
}

// One entry read whole by our decoder, in the extractor's blocks.
Decoded DecodeWithOurs(const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword)
{
    Decoded decoded;
    CZipEntryDecoder decoder;
    if ((decoded.itsError = decoder.Open(theArchive, theEntry, thePassword)) == 0) {
        decoded.itsError = Drain(decoded.itsData, [&](char* pBlock, size_t theSize, int& theError) {
            return decoder.Read(pBlock, theSize, theError);
        });
        const int closed = decoder.Close();
        if (decoded.itsError == 0)
            decoded.itsError = closed;
    }
    if (decoded.itsError != 0)
        decoded.itsFailure = decoder.GetFailure();
    return decoded;
}

Decoded DecodeWithLibzip(zip* pArchive, const CZipEntry& theEntry, const std::string& thePassword)
{
    Decoded decoded;
    // libzip 1.7.3 loses the entry's source when it refuses strong
    // encryption with a password (tests/lsan.supp); its answer is this code.
    if (!thePassword.empty() && theEntry.IsEncrypted() && (theEntry.itsFlags & 0x40)) {
        decoded.itsError = ZIP_ER_ENCRNOTSUPP;
        return decoded;
    }
    const uint64_t theIndex = theEntry.itsIndex;
    CZipEntryHandle entry(thePassword.empty()
            ? zip_fopen_index(pArchive, theIndex, 0)
            : zip_fopen_index_encrypted(pArchive, theIndex, 0, thePassword.c_str()));
    if (!entry) {
        decoded.itsError = ZipArchiveErrorCode(pArchive);
        return decoded;
    }
    decoded.itsError = Drain(decoded.itsData, [&](char* pBlock, size_t theSize, int& theError) {
        const zip_int64_t count = zip_fread(entry.get(), pBlock, theSize);
        if (count < 0)
            theError = ZipEntryErrorCode(entry.get());
        return static_cast<int64_t>(count);
    });
    const int closed = zip_fclose(entry.release());
    if (decoded.itsError == 0)
        decoded.itsError = closed;
    return decoded;
}

// Source and inflater apart, fed and drained in pieces of odd sizes.
Decoded DecodeInPieces(const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword)
{
    Decoded decoded;
    CZipEntrySource source;
    if ((decoded.itsError = source.Open(theArchive, theEntry, thePassword)) != 0)
        return decoded;
    CZipEntryInflater inflater;
    inflater.Start(theEntry);
    uint32_t random = 12345u + static_cast<uint32_t>(theEntry.itsIndex);
    const auto nextSize = [&random](size_t theLimit) {
        random = random * 1103515245u + 12345u;
        return 1 + (random >> 8) % theLimit;
    };
    std::vector<char> input(5000);
    std::vector<char> output(7000);
    const char* pending = input.data();
    size_t pendingLength = 0;
    bool bSourceDone = false;
    while (!inflater.IsFinished()) {
        int error = 0;
        if (pendingLength == 0 && !bSourceDone) {
            const int64_t count = source.Read(input.data(), nextSize(input.size()), error);
            if (count < 0) {
                decoded.itsError = error;
                break;
            }
            bSourceDone = count == 0;
            pending = input.data();
            pendingLength = static_cast<size_t>(count);
        }
        const int64_t count = inflater.Inflate(
            pending, pendingLength, bSourceDone, output.data(), nextSize(output.size()), error);
        if (count < 0) {
            decoded.itsError = error;
            break;
        }
        decoded.itsData.append(output.data(), static_cast<size_t>(count));
    }
    return decoded;
}

std::string Describe(const Decoded& theDecoded)
{
    std::ostringstream text;
    text << theDecoded.itsData.size() << " bytes, error " << theDecoded.itsError;
    return text.str();
}

class CComparison {
public:
    CComparison(const std::string& thePath, const std::string& thePassword)
        : itsPath(thePath)
        , itsPassword(thePassword)
    {
    }

    std::string Run();

private:
    void CompareEntry(zip* pArchive, const CZipArchiveFile& theArchive, const CZipEntry& theEntry);
    void Note(const std::string& theText) { itsReport << theText << "\n"; }

    std::string itsPath;
    std::string itsPassword;
    std::ostringstream itsReport;
    bool bOursRefusedSomething = false;
    bool bNameRepeats = false;
};

std::string CComparison::Run()
{
    CZipArchiveFile ours;
    const int ourError = ours.Open(itsPath.c_str());
    if (ourError != 0 && ours.GetFailure().empty())
        Note("open: ours refuses with " + std::to_string(ourError) + " without saying why");
    // libzip refuses bytes after the end record, which we ignore as other
    // tools do: it reads the archive without them.
    std::string libzipPath = itsPath;
    if (ourError == 0 && ours.GetEndOffset() < std::filesystem::file_size(itsPath)) {
        libzipPath += ".end";
        std::filesystem::copy_file(itsPath, libzipPath, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::resize_file(libzipPath, ours.GetEndOffset());
    }
    int libzipError = 0;
    CZipArchiveHandle libzip(zip_open(libzipPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &libzipError));
    if (ourError != 0 || !libzip) {
        if (!libzip && ourError != 0 && ourError != libzipError && !BothDamaged(libzipError, ourError)
            && !EndCanBeReadSeveralWays(itsPath) && !IsMeantRefusal(ours.GetFailure()))
            Note("open: libzip " + std::to_string(libzipError) + ", ours " + std::to_string(ourError));
        if (libzip && ourError != 0 && !IsMeantRefusal(ours.GetFailure()))
            Note("open: libzip opens, ours refuses with " + std::to_string(ourError) + ": "
                + ours.GetFailure());
        if (ourError != 0)
            return itsReport.str();
    }
    // libzip checks every local header when it opens the archive; we check
    // one when its entry is opened. Either way the archive does not extract.
    const bool bLibzipRefused = !libzip;
    CZipDirectoryCursor cursor(ours);
    CZipEntry entry;
    int error = 0;
    uint64_t count = 0;
    std::set<std::string> names;
    while (cursor.Next(entry, error)) {
        ++count;
        bNameRepeats |= !names.insert(entry.itsName).second;
        if (bLibzipRefused) {
            const char* password = itsPassword.c_str();
            bOursRefusedSomething |= DecodeWithOurs(ours, entry, password).itsError != 0;
        } else {
            CompareEntry(libzip.get(), ours, entry);
        }
    }
    if (error != 0)
        Note("walk: ours fails with " + std::to_string(error) + " after " + std::to_string(count)
            + " entries");
    // libzip refuses a name that repeats; we keep nothing per entry, and
    // leave that check to the extractor.
    const bool bRepeatRefused = libzipError == ZIP_ER_EXISTS && bNameRepeats;
    const bool bVersionRefused = libzipError == ZIP_ER_INCONS && VersionsDisagree(ours);
    // libzip follows bytes that look like a locator whatever they lead to.
    const bool bLayoutRefused = (libzipError == ZIP_ER_INCONS
                                    && (LeavesSomeValuesToItsDescriptor(ours) || HasLocalZip64Offset(ours)))
        || EndsWithLocatorBytes(ours);
    if (bLibzipRefused) {
        if (!bOursRefusedSomething && !bRepeatRefused && !bVersionRefused && !bLayoutRefused)
            Note(
                "libzip refuses to open with " + std::to_string(libzipError) + ", ours extracts every entry");
    } else if (count != static_cast<uint64_t>(zip_get_num_entries(libzip.get(), 0))
        || count != ours.GetEntryCount()) {
        Note("count: libzip " + std::to_string(zip_get_num_entries(libzip.get(), 0)) + ", ours "
            + std::to_string(ours.GetEntryCount()) + ", walked " + std::to_string(count));
    }
    return itsReport.str();
}

void CComparison::CompareEntry(zip* pArchive, const CZipArchiveFile& theArchive, const CZipEntry& theEntry)
{
    const std::string at = "entry " + std::to_string(theEntry.itsIndex) + ": ";
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(pArchive, theEntry.itsIndex, ZIP_FL_ENC_RAW, &stat) != 0) {
        Note(at + "libzip cannot stat it");
        return;
    }
    // libzip shows a zero byte in a name as a space; we keep the bytes.
    std::string name = theEntry.itsName;
    std::replace(name.begin(), name.end(), '\0', ' ');
    if (name != stat.name)
        Note(at + "name " + theEntry.itsName + " against " + stat.name);
    if (theEntry.itsSize != stat.size || theEntry.itsCompressedSize != stat.comp_size)
        Note(at + "sizes differ");
    if (theEntry.itsCrc != stat.crc)
        Note(at + "CRC differs");
    if (!SameClockTime(theEntry.GetModificationTime(), stat.mtime))
        Note(at + "date differs");
    if (theEntry.IsEncrypted() != (stat.encryption_method != ZIP_EM_NONE))
        Note(at + "encryption differs");

    const Decoded libzip = DecodeWithLibzip(pArchive, theEntry, itsPassword);
    const char* password = itsPassword.c_str();
    const Decoded ours = DecodeWithOurs(theArchive, theEntry, password);
    const Decoded pieces = DecodeInPieces(theArchive, theEntry, password);
    if (pieces.itsError != ours.itsError || (ours.itsError == 0 && pieces.itsData != ours.itsData))
        Note(at + "in pieces " + Describe(pieces) + ", whole " + Describe(ours));
    if (ours.itsError != 0 && ours.itsFailure.empty())
        Note(at + "ours fails with " + std::to_string(ours.itsError) + " without saying why");
    if (IsMeantDifference(libzip, ours, theArchive, theEntry))
        return;
    if (libzip.itsError != ours.itsError)
        Note(at + "libzip " + Describe(libzip) + ", ours " + Describe(ours));
    else if (ours.itsError == 0 && libzip.itsData != ours.itsData)
        Note(at + "data differs");
}

} // namespace

std::string CompareReaders(const std::string& theArchivePath, const std::string& thePassword)
{
    return CComparison(theArchivePath, thePassword).Run();
}

std::vector<std::string> ReadWithOurs(const std::string& thePath, const std::string& thePassword, bool bNamed)
{
    CZipArchiveFile archive;
    if (int error = archive.Open(thePath.c_str()))
        return { "open error " + std::to_string(error) + ": " + archive.GetFailure() };
    std::vector<std::string> results;
    CZipDirectoryCursor cursor(archive);
    CZipEntry entry;
    int error = 0;
    while (cursor.Next(entry, error)) {
        const Decoded decoded = DecodeWithOurs(archive, entry, thePassword.c_str());
        const std::string result = decoded.itsError == 0
            ? decoded.itsData
            : "error " + std::to_string(decoded.itsError) + ": " + decoded.itsFailure;
        results.push_back(bNamed ? entry.itsName + "=" + result : result);
    }
    if (error != 0)
        results.push_back("walk error " + std::to_string(error) + ": " + cursor.GetFailure());
    return results;
}
