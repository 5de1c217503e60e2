#pragma once

#include "engine/ZipHandles.h"
#include "foundation/Cstring.h"

#include <cstddef>
#include <cstdint>

// The data of an archive's entries, one entry at a time, in the blocks that
// libzip's reads give. The extractor sees the same opens, blocks, errors and
// closes whether the entries are read on its own thread or ahead of it.
class CEntryReader {
public:
    virtual ~CEntryReader() = default;
    // Opens entry theIndex (with the password, when one is set); 0, or
    // libzip's error code.
    virtual int Open(uint64_t theIndex) = 0;
    // Up to theSize bytes of the open entry: their count, 0 at its end, or
    // -1 with libzip's error code in theError.
    virtual int64_t Read(char* pBuffer, size_t theSize, int& theError) = 0;
    // Ends the entry, read to its end or not; 0, or the error code of the
    // check made at its end.
    virtual int Close() = 0;
};

// Reads on the calling thread through the extractor's own archive handle.
class CDirectEntryReader : public CEntryReader {
public:
    CDirectEntryReader(zip* pArchive, const Cstring& thePassword)
        : itsArchive(pArchive)
        , itsPassword(thePassword)
    {
    }

    int Open(uint64_t theIndex) override;
    int64_t Read(char* pBuffer, size_t theSize, int& theError) override;
    int Close() override;

private:
    zip* itsArchive;
    const Cstring& itsPassword;
    CZipEntryHandle itsEntry;
};

// Opens entry theIndex of pArchive; null with the error on the archive.
zip_file* OpenZipEntry(zip* pArchive, uint64_t theIndex, const Cstring& thePassword);
