#pragma once

#include "zip/ZipArchiveFile.h"
#include "zip/ZipEntryDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

// An entry's data as the extractor reads it: opened, read to its end (which
// checks its size and CRC) and closed, with libzip's codes and the
// behaviour of zip_fopen, zip_fread and zip_fclose, however it is produced.
class CEntryData {
public:
    virtual ~CEntryData() = default;
    // 0, or the code. The archive and the entry must outlive the reading.
    virtual int Open(const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword)
        = 0;
    // The count, 0 at the end, or -1 with the code in theError.
    virtual int64_t Read(char* pBuffer, size_t theSize, int& theError) = 0;
    // Ends the entry, read to its end or not; 0, or the code of its end check.
    virtual int Close() = 0;
    // Why the last Open, Read or Close failed, in words (ZipFault.h).
    virtual std::string GetFailure() const = 0;
};

// Decrypts and inflates on the reading thread.
class CDecodedEntry : public CEntryData {
public:
    int Open(const CZipArchiveFile& theArchive, const CZipEntry& theEntry, const char* thePassword) override
    {
        return itsDecoder.Open(theArchive, theEntry, thePassword);
    }
    int64_t Read(char* pBuffer, size_t theSize, int& theError) override
    {
        return itsDecoder.Read(pBuffer, theSize, theError);
    }
    int Close() override { return itsDecoder.Close(); }
    std::string GetFailure() const override { return itsDecoder.GetFailure(); }

private:
    CZipEntryDecoder itsDecoder;
};
