#pragma once

#include "zip/ZipArchiveFile.h"

#include <string>

// Where our reader and libzip 1.7.3 are meant to differ, each with its
// reason, for the comparison of the two (ReaderComparison.h).

// What reading one entry came to.
struct Decoded {
    std::string itsData;
    int itsError = 0;
    std::string itsFailure; // ours only: the words for the error
};

// An entry read differently on purpose.
bool IsMeantDifference(const Decoded& theLibzip, const Decoded& theOurs, const CZipArchiveFile& theArchive,
    const CZipEntry& theEntry);

// Both refuse to open the archive, each finding another of its faults first.
bool BothDamaged(int theLibzipError, int theOurError);

// Whether the last 64 KB of the file at thePath hold more than one end
// record's signature, or one behind bytes that look like a zip64 locator:
// libzip then tries each record (or follows the locator) and reports the
// fault of the last it tried, where we walk only the one directory we chose
// (or the 32-bit record's), and report its fault.
bool EndCanBeReadSeveralWays(const std::string& thePath);

// libzip opens an archive that we refuse as ambiguous or for entries that
// overlap: theFailure is our reason.
bool IsMeantRefusal(const std::string& theFailure);

// Whether some entry's local header asks for a later version than its
// directory entry, which libzip 1.7.3 calls inconsistent.
bool VersionsDisagree(const CZipArchiveFile& theArchive);

// Whether theEntry's local header (or some entry's) leaves values to its data
// descriptor in a way libzip 1.7.3 refuses: zero in some fields but not all,
// or the time in the CRC's place.
bool LeavesSomeValuesToItsDescriptor(const CZipArchiveFile& theArchive, const CZipEntry& theEntry);
bool LeavesSomeValuesToItsDescriptor(const CZipArchiveFile& theArchive);

// Whether some entry's local zip64 extra field records the header's offset
// as well, which libzip 1.7.3 holds against zero.
bool HasLocalZip64Offset(const CZipArchiveFile& theArchive);

// Whether the bytes before the end record we read look like a zip64
// locator that leads nowhere: libzip 1.7.3 follows them and refuses.
bool EndsWithLocatorBytes(const CZipArchiveFile& theArchive);
