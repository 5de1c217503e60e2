#pragma once

#include <cstdint>
#include <string>

class CZipArchiveFile;

// Where an archive's directory lies, as its end record (and the zip64 end
// record that one leads to) says.
struct CZipDirectoryPlace {
    uint64_t itsOffset = 0;
    uint64_t itsSize = 0;
    uint64_t itsDeclaredCount = 0;
    bool bZip64 = false;
    uint64_t itsEnd = 0; // where the end record's comment ends
};

// Looks at every end-record signature in the last bytes of theArchive
// (theFileSize long) without walking a directory. A record whose directory
// lies before it and starts with a directory record is a reading of the
// archive; so is one whose directory other tools find by assuming bytes
// before the archive. Tools look from either end of those bytes and take
// the first reading they meet, so exactly one may be there: more refuse the
// archive as ambiguous. 0 with thePlace, or the code with theFailure in
// words: of the record nearest the end, when none is a reading.
int FindDirectoryPlace(const CZipArchiveFile& theArchive, uint64_t theFileSize, CZipDirectoryPlace& thePlace,
    std::string& theFailure);
