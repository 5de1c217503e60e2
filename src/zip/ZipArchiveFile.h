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

// One entry of the central directory, what extraction needs.
struct CZipEntry {
    uint64_t itsIndex = 0; // its position in the directory, from 0
    std::string itsName; // the name's bytes as stored
    uint64_t itsCompressedSize = 0; // stored bytes, encryption header included
    uint64_t itsSize = 0;
    uint64_t itsLocalOffset = 0; // of the local header
    uint32_t itsCrc = 0;
    uint16_t itsMethod = 0; // 0 stored, 8 deflated
    uint16_t itsFlags = 0; // general-purpose flags as stored
    uint16_t itsDosTime = 0, itsDosDate = 0;

    bool IsEncrypted() const { return (itsFlags & 1) != 0; }
    // The stored date as local time, the value libzip's zip_stat_index gives.
    // Worked out once: the C library's conversion looks at the time zone
    // file and takes its lock on every call.
    time_t GetModificationTime() const;
    // That date's time of day in the DOS form again, as libzip works it out
    // to check a password against it.
    uint16_t GetModificationDosTime() const;

private:
    void Convert() const;

    mutable time_t itsModificationTime = 0;
    mutable uint16_t itsModificationDosTime = 0;
    mutable uint32_t itsConvertedStamp = 0; // the date and time it was worked out for
    mutable bool bConverted = false;
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
    // (offsets, sizes, count, extra fields). 0, or a ZipError: kZipErrorNoEntry,
    // kZipErrorOpen, kZipErrorRead, kZipErrorNotZip, kZipErrorInconsistent, kZipErrorMultiDisk,
    // kZipErrorSeek.
    int Open(const char* thePath);
    void Close();
    bool IsOpen() const { return itsFile != -1; }
    uint64_t GetEntryCount() const { return itsEntryCount; }
    int GetDescriptor() const { return itsFile; }

    // Where the directory starts: every entry's local header and data lie
    // before it.
    uint64_t GetDirectoryOffset() const { return itsDirectoryOffset; }
    uint64_t GetDirectorySize() const { return itsDirectorySize; }

    // Reads exactly theLength bytes at theOffset; 0, kZipErrorEndOfFile when the file
    // ends before, or kZipErrorRead.
    int ReadAt(uint64_t theOffset, void* pBuffer, size_t theLength) const;

private:
    friend class CZipDirectoryCursor;

    int FindDirectory();
    int ReadEndRecord(const std::vector<unsigned char>& theTail, uint64_t theTailOffset, size_t theAt);
    int ReadZip64End(const std::vector<unsigned char>& theTail, uint64_t theTailOffset, size_t theAt);
    int CheckDirectory();

    int itsFile = -1;
    uint64_t itsFileSize = 0;
    uint64_t itsDirectoryOffset = 0;
    uint64_t itsDirectorySize = 0;
    uint64_t itsDeclaredCount = 0; // as the end record gives it
    bool bZip64 = false;
    uint64_t itsEntryCount = 0;
};

// Walks the central directory in order, reading it a block at a time.
class CZipDirectoryCursor {
public:
    explicit CZipDirectoryCursor(const CZipArchiveFile& theArchive);

    // True with the next entry; false at the end (theError 0) or when the
    // directory is damaged (theError: libzip's code).
    bool Next(CZipEntry& theEntry, int& theError);
    void Rewind();

private:
    static constexpr size_t kBlockSize = 32 * 1024;

    // Makes theLength bytes from the walk's position available in itsBuffer.
    int Have(size_t theLength);
    int ParseEntry(CZipEntry& theEntry);

    friend class CZipArchiveFile;

    const CZipArchiveFile& itsArchive;
    // When the archive checks its directory, an entry whose data would not
    // lie before the directory does not stop the walk: libzip reads the whole
    // directory before it looks at where the entries lie, and its codes for
    // the faults of the walk win.
    bool bDeferBounds = false;
    int itsBoundsError = 0;
    std::vector<unsigned char> itsBuffer;
    size_t itsStart = 0; // the walk's position in itsBuffer
    size_t itsEnd = 0; // bytes of itsBuffer that hold data
    uint64_t itsConsumed = 0; // directory bytes behind the walk's position
    uint64_t itsIndex = 0;
    uint64_t itsLimit = 0; // entries the walk hands out; none past it
};
