#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Our own reader of zip archives' central directories. Nothing is kept per
// entry: the directory is walked from the file, a block at a time, whenever
// it is needed, so an archive of 60,000 entries costs what one of ten does.
// Every failure is a ZipError, with the number libzip gives the same failure,
// so callers report the same numbers whichever reader they use.

// One entry of the central directory, what extraction needs. Nothing
// changes it once the directory's walk has filled it in, so that threads may
// share it.
struct CZipEntry {
    uint64_t itsIndex = 0; // its position in the directory, from 0
    std::string itsName; // the name's bytes as stored
    uint64_t itsCompressedSize = 0; // stored bytes, encryption header included
    uint64_t itsSize = 0;
    uint64_t itsLocalOffset = 0; // of the local header
    // Where the next entry's local header, or the directory, begins: the
    // entry's header and data end before it, or it overlaps another.
    uint64_t itsSpanLimit = UINT64_MAX;
    uint32_t itsCrc = 0;
    uint16_t itsMethod = 0; // 0 stored, 8 deflated
    uint16_t itsFlags = 0; // general-purpose flags as stored
    uint16_t itsDosTime = 0, itsDosDate = 0;

    bool IsEncrypted() const { return (itsFlags & 1) != 0; }
    // The stored date as local time, the value libzip's zip_stat_index gives.
    // Each thread remembers the last date it worked out: the C library's
    // conversion looks at the time zone file and takes its lock on every
    // call, and an archive's entries share few dates.
    time_t GetModificationTime() const;
    // That date's time of day in the DOS form again, as libzip works it out
    // to check a password against it.
    uint16_t GetModificationDosTime() const;
};

// An archive open for reading. It owns the descriptor and reads with pread
// only, so several threads may read entries through it at once.
class CZipArchiveFile {
public:
    CZipArchiveFile() = default;
    ~CZipArchiveFile();
    CZipArchiveFile(const CZipArchiveFile&) = delete;
    CZipArchiveFile& operator=(const CZipArchiveFile&) = delete;

    // Finds the end record and checks the whole directory against the file
    // (offsets, sizes, count, extra fields, entries that overlap). 0, or a
    // ZipError: kZipErrorNoEntry, kZipErrorOpen, kZipErrorRead, kZipErrorNotZip,
    // kZipErrorInconsistent, kZipErrorMultiDisk, kZipErrorSeek.
    int Open(const char* thePath);
    // Why the last Open failed, in words (ZipFault.h); empty after a success.
    const std::string& GetFailure() const { return itsFailure; }
    void Close();
    bool IsOpen() const { return itsFile != -1; }
    uint64_t GetEntryCount() const { return itsEntryCount; }
    int GetDescriptor() const { return itsFile; }

    // Where the directory starts: every entry's local header and data lie
    // before it.
    uint64_t GetDirectoryOffset() const { return itsDirectoryOffset; }
    uint64_t GetDirectorySize() const { return itsDirectorySize; }
    // Where the end record's comment ends. Bytes after it are padding some
    // writers add (to a tape block, or a byte); nothing reads them.
    uint64_t GetEndOffset() const { return itsEndOffset; }

    // Reads exactly theLength bytes at theOffset; 0, kZipErrorEndOfFile when the file
    // ends before, or kZipErrorRead.
    int ReadAt(uint64_t theOffset, void* pBuffer, size_t theLength) const;

private:
    friend class CZipDirectoryCursor;

    int CheckDirectory();
    // For a directory whose entries do not follow each other in the file.
    int CheckUnorderedSpans();
    std::string NameAt(uint64_t theIndex) const;
    int Fail(int theCode, std::string theFailure);

    int itsFile = -1;
    uint64_t itsFileSize = 0;
    uint64_t itsDirectoryOffset = 0;
    uint64_t itsDirectorySize = 0;
    uint64_t itsDeclaredCount = 0; // as the end record gives it
    uint64_t itsEndOffset = 0;
    bool bZip64 = false;
    uint64_t itsEntryCount = 0;
    // Whether each entry's local header lies after the one before: then the
    // next directory record gives an entry's span limit. Otherwise the local
    // headers' offsets are kept, sorted, for it.
    bool bInOrder = true;
    std::vector<uint64_t> itsSortedOffsets;
    std::string itsFailure;
};

// Walks the central directory in order, reading it a block at a time.
class CZipDirectoryCursor {
public:
    explicit CZipDirectoryCursor(const CZipArchiveFile& theArchive);

    // True with the next entry; false at the end (theError 0) or when the
    // directory is damaged (theError: libzip's code, GetFailure the words).
    bool Next(CZipEntry& theEntry, int& theError);
    void Rewind();
    const std::string& GetFailure() const { return itsFailure; }

private:
    static constexpr size_t kBlockSize = 32 * 1024;

    // Makes theLength bytes from the walk's position available in itsBuffer.
    int Have(size_t theLength);
    int ParseEntry(CZipEntry& theEntry);
    int Fail(int theCode, std::string theFailure);
    // Where the entry's header and data must end; see CZipEntry::itsSpanLimit.
    uint64_t SpanLimit(const CZipEntry& theEntry);
    // The local header offset of the record the walk reaches next, when it
    // can be read.
    bool PeekNextOffset(uint64_t& theOffset);

    friend class CZipArchiveFile;

    const CZipArchiveFile& itsArchive;
    // When the archive checks its directory, an entry whose data would not
    // lie before the directory does not stop the walk: libzip reads the whole
    // directory before it looks at where the entries lie, and its codes for
    // the faults of the walk win.
    bool bDeferBounds = false;
    int itsBoundsError = 0;
    std::string itsBoundsFailure;
    std::vector<unsigned char> itsBuffer;
    size_t itsStart = 0; // the walk's position in itsBuffer
    size_t itsEnd = 0; // bytes of itsBuffer that hold data
    uint64_t itsConsumed = 0; // directory bytes behind the walk's position
    uint64_t itsIndex = 0;
    std::string itsFailure;
};
